#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Substring search for the transcript hot paths: transcripts are scanned line by line for a
// directory tens of bytes long, where the C library's memmem costs more than the JSON parser.
// Uses AVX2 where the processor has it.
namespace threadhop::TextSearch {

/// The first occurrence of `needle` in `haystack` at or after `from`; npos when there is none
/// or the needle is empty.
std::size_t find(std::string_view haystack, std::string_view needle, std::size_t from = 0);

/// True when `haystack` holds `needle` (never for an empty needle).
inline bool contains(std::string_view haystack, std::string_view needle)
{
    return find(haystack, needle) != std::string_view::npos;
}

/// Non-overlapping occurrences of `needle`, searched from left to right, counted up to `limit`.
std::int64_t count(std::string_view haystack, std::string_view needle, std::int64_t limit = INT64_MAX);

} // namespace threadhop::TextSearch
