#pragma once

#include <cstdint>
#include <string_view>

namespace threadhop {

/// What one pass over a transcript line's text tells before it is parsed.
struct LineFacts {
    std::int64_t directoryCount = 0; ///< non-overlapping occurrences of the directory's text
    int cwdKeyTexts = 0;             ///< occurrences of "cwd" with its quotes, counted up to 2
    bool hasSpellingEscape = false;  ///< a "\/" or "\u" escape, which could spell the directory in a value

    bool operator==(const LineFacts&) const = default;

    /// One pass over `line` for `directory` (its text as it stands in a line; not empty).
    static LineFacts of(std::string_view line, std::string_view directory);
};

} // namespace threadhop
