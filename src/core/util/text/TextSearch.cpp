#include "TextSearch.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define THREADHOP_X86_SIMD 1
#endif

namespace threadhop {
namespace {

bool matchesAt(std::string_view text, std::string_view needle, std::size_t at)
{
    return std::memcmp(text.data() + at, needle.data(), needle.size()) == 0;
}

std::size_t findScalar(std::string_view text, std::string_view needle, std::size_t from)
{
    for (std::size_t at = from; at + needle.size() <= text.size(); ++at) {
        const void* first = std::memchr(text.data() + at, needle.front(), text.size() - needle.size() + 1 - at);
        if (!first)
            break;
        at = static_cast<std::size_t>(static_cast<const char*>(first) - text.data());
        if (matchesAt(text, needle, at))
            return at;
    }
    return std::string_view::npos;
}

#if defined(THREADHOP_X86_SIMD)
// The kernels compare the needle's first, second and last bytes at every position of a vector
// at once (JSON is full of quotes and slashes, so two bytes alone match too often) and the rest
// only where all three match. The last block is loaded to end exactly at the text's end, with
// the positions already searched masked off, so no position is searched one byte at a time.

__attribute__((target("avx2"))) std::size_t findWide(std::string_view text, std::string_view needle, std::size_t from)
{
    const std::size_t n = needle.size();
    const std::size_t lastStart = text.size() - (n - 1) - 32; // the last block that fits
    const __m256i first = _mm256_set1_epi8(needle[0]);
    const __m256i second = _mm256_set1_epi8(needle[1]);
    const __m256i last = _mm256_set1_epi8(needle.back());
    for (std::size_t i = from;; i += 32) {
        unsigned skipped = 0;
        if (i > lastStart) {
            if (i >= lastStart + 32)
                return std::string_view::npos;
            skipped = static_cast<unsigned>(i - lastStart);
            i = lastStart;
        }
        const char* here = text.data() + i;
        const __m256i ends = _mm256_and_si256(
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(here)), first),
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(here + n - 1)), last));
        const __m256i seconds =
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(here + 1)), second);
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(ends, seconds)));
        mask &= skipped >= 32 ? 0u : ~0u << skipped;
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (matchesAt(text, needle, at))
                return at;
        }
        if (i == lastStart)
            return std::string_view::npos;
    }
}

const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

} // namespace

std::size_t TextSearch::find(std::string_view haystack, std::string_view needle, std::size_t from)
{
    const std::size_t n = needle.size();
    if (n == 0 || from > haystack.size() || haystack.size() - from < n)
        return std::string_view::npos;
    if (n == 1) {
        const void* found = std::memchr(haystack.data() + from, needle[0], haystack.size() - from);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - haystack.data())
                     : std::string_view::npos;
    }
#if defined(THREADHOP_X86_SIMD)
    if (hasAvx2 && haystack.size() >= n - 1 + 32)
        return findWide(haystack, needle, from);
#endif
    return findScalar(haystack, needle, from);
}

std::int64_t TextSearch::count(std::string_view haystack, std::string_view needle, std::int64_t limit)
{
    std::int64_t occurrences = 0;
    for (std::size_t at = find(haystack, needle); at != std::string_view::npos && occurrences < limit;
         at = find(haystack, needle, at + needle.size()))
        ++occurrences;
    return occurrences;
}

} // namespace threadhop
