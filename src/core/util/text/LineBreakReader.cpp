#include "LineBreakReader.h"

#include <array>

namespace threadhop {
namespace {

// Bytes that may start a line break.
constexpr std::array<bool, 256> breakLeadBytes = [] {
    std::array<bool, 256> table{};
    for (unsigned char byte : {'\n', '\v', '\f', '\r'})
        table[byte] = true;
    table[0xC2] = true;
    table[0xE2] = true;
    return table;
}();

// Length of the line break starting at `i`, or 0 when none starts there.
std::size_t lineBreakLength(std::string_view text, std::size_t i)
{
    const auto byteAt = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0; };
    switch (byteAt(i)) {
    case '\n':
    case '\v':
    case '\f':
        return 1;
    case '\r':
        return byteAt(i + 1) == '\n' ? 2 : 1;
    case 0xC2:
        return byteAt(i + 1) == 0x85 ? 2 : 0;
    case 0xE2:
        return byteAt(i + 1) == 0x80 && (byteAt(i + 2) == 0xA8 || byteAt(i + 2) == 0xA9) ? 3 : 0;
    default:
        return 0;
    }
}

} // namespace

std::optional<std::string_view> LineBreakReader::next()
{
    while (m_position < m_text.size()) {
        const std::size_t lineStart = m_position;
        std::size_t i = lineStart;
        std::size_t breakLength = 0;
        for (; i < m_text.size(); ++i) {
            if (breakLeadBytes[static_cast<unsigned char>(m_text[i])]
                && (breakLength = lineBreakLength(m_text, i)) != 0)
                break;
        }
        m_position = i + breakLength;
        if (i > lineStart)
            return m_text.substr(lineStart, i - lineStart);
    }
    return std::nullopt;
}

} // namespace threadhop
