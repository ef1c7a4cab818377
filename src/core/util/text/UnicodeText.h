#pragma once

#include <string>
#include <string_view>
#include <vector>

// Unicode questions answered by ICU; the loops stay on bytes while the text is ASCII.
namespace threadhop::UnicodeText {

/// True when `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

/// `text` with every ill-formed UTF-8 sequence replaced by U+FFFD, as a reader would show it.
std::string withReplacementCharacters(std::string_view text);

/// `text` without a trailing, incomplete multi-byte sequence (a prefix cut inside a character).
std::string_view withoutCutCharacter(std::string_view text);

/// `text` without leading and trailing blanks: tab and the space separators (not line breaks).
std::string_view trimBlanks(std::string_view text);

/// The pieces of `text` between runs of Unicode white space (line breaks included); no empty pieces.
std::vector<std::string_view> splitAtWhitespace(std::string_view text);

/// True when every character of `text` is a letter, a mark, a number or "_". Empty text is not.
bool isIdentifierLike(std::string_view text);

/// Full Unicode lower-casing (root locale).
std::string lowercased(std::string_view text);

/// The slow half of asciiStandsAlone, for characters with a non-ASCII neighbour.
bool asciiStandsAloneAmongNonAscii(std::string_view text, std::size_t index);

/// True when the ASCII character at `index` is a user-perceived character of its own: no
/// combining mark, joiner or spacing mark follows it and no prepended concatenation mark precedes it.
/// Inline because editors ask it for every quote of a line; only non-ASCII neighbours cost a call.
inline bool asciiStandsAlone(std::string_view text, std::size_t index)
{
    const bool asciiAfter = index + 1 >= text.size() || static_cast<unsigned char>(text[index + 1]) < 0x80;
    const bool asciiBefore = index == 0 || static_cast<unsigned char>(text[index - 1]) < 0x80;
    return (asciiAfter && asciiBefore) || asciiStandsAloneAmongNonAscii(text, index);
}

} // namespace threadhop::UnicodeText
