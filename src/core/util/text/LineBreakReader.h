#pragma once

#include <optional>
#include <string_view>

namespace threadhop {

/// Reads the non-empty lines of a text one at a time, split at every line break: LF, CR,
/// CR LF, vertical tab, form feed, U+0085, U+2028 and U+2029. Lazy, so a reader that stops
/// early never scans the rest of a long text.
class LineBreakReader final {
public:
    explicit LineBreakReader(std::string_view text) : m_text(text) { }

    /// The next non-empty line, or nothing at the end of the text.
    std::optional<std::string_view> next();

private:
    std::string_view m_text;
    std::size_t m_position = 0;
};

} // namespace threadhop
