#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Shared by the fuzz targets: the input as text, and a broken promise reported as a crash.
namespace threadhop::fuzz {

inline std::string_view text(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

/// Aborts, which libFuzzer reports with the input that broke the promise.
inline void require(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace threadhop::fuzz
