#include "UnicodeText.h"

#include <algorithm>

#include <simdjson.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace threadhop {
namespace {

UChar32 codePointAt(std::string_view text, std::size_t index, std::size_t* next = nullptr)
{
    int32_t offset = static_cast<int32_t>(index);
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), offset, static_cast<int32_t>(text.size()), c);
    if (next)
        *next = static_cast<std::size_t>(offset);
    return c;
}

UChar32 codePointBefore(std::string_view text, std::size_t index, std::size_t* start = nullptr)
{
    int32_t offset = static_cast<int32_t>(index);
    UChar32 c = 0;
    U8_PREV(reinterpret_cast<const uint8_t*>(text.data()), 0, offset, c);
    if (start)
        *start = static_cast<std::size_t>(offset);
    return c;
}

bool isBlank(UChar32 c)
{
    return c == '\t' || u_charType(c) == U_SPACE_SEPARATOR;
}

bool isWhitespace(UChar32 c)
{
    return c >= 0 && u_isUWhiteSpace(c);
}

bool isAllAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

bool UnicodeText::isValidUtf8(std::string_view text)
{
    return simdjson::validate_utf8(text.data(), text.size());
}

std::string UnicodeText::withReplacementCharacters(std::string_view text)
{
    if (isValidUtf8(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t at = 0; at < length;) {
        const int32_t start = at;
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        if (c < 0)
            out += "\xEF\xBF\xBD";
        else
            out.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(at - start)));
    }
    return out;
}

std::string_view UnicodeText::withoutCutCharacter(std::string_view text)
{
    // Walk back over at most three continuation bytes to the lead byte of the last sequence.
    std::size_t lead = text.size();
    for (int back = 0; back < 4 && lead > 0; ++back) {
        const auto byte = static_cast<unsigned char>(text[lead - 1]);
        --lead;
        if ((byte & 0xC0) != 0x80)
            break;
    }
    if (lead == text.size())
        return text;
    const auto byte = static_cast<unsigned char>(text[lead]);
    const std::size_t expected = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    const std::size_t present = text.size() - lead;
    return present < expected ? text.substr(0, lead) : text;
}

std::string_view UnicodeText::trimBlanks(std::string_view text)
{
    while (!text.empty()) {
        std::size_t next = 0;
        if (!isBlank(codePointAt(text, 0, &next)))
            break;
        text.remove_prefix(next);
    }
    while (!text.empty()) {
        std::size_t start = 0;
        if (!isBlank(codePointBefore(text, text.size(), &start)))
            break;
        text = text.substr(0, start);
    }
    return text;
}

std::vector<std::string_view> UnicodeText::splitAtWhitespace(std::string_view text)
{
    std::vector<std::string_view> pieces;
    std::size_t pieceStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t next = 0;
        const UChar32 c = codePointAt(text, i, &next);
        if (isWhitespace(c)) {
            if (i > pieceStart)
                pieces.push_back(text.substr(pieceStart, i - pieceStart));
            pieceStart = next;
        }
        i = next;
    }
    if (text.size() > pieceStart)
        pieces.push_back(text.substr(pieceStart));
    return pieces;
}

bool UnicodeText::isIdentifierLike(std::string_view text)
{
    if (text.empty())
        return false;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t next = 0;
        const UChar32 c = codePointAt(text, i, &next);
        const bool allowed =
            c == '_' || (c >= 0 && (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0);
        if (!allowed)
            return false;
        i = next;
    }
    return true;
}

std::string UnicodeText::lowercased(std::string_view text)
{
    if (isAllAscii(text)) {
        std::string lower(text);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return lower;
    }
    std::string lower;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())))
        .toLower(icu::Locale::getRoot())
        .toUTF8String(lower);
    return lower;
}

bool UnicodeText::asciiStandsAloneAmongNonAscii(std::string_view text, std::size_t index)
{
    const std::size_t after = index + 1;
    if (after < text.size() && static_cast<unsigned char>(text[after]) >= 0x80) {
        const UChar32 next = codePointAt(text, after);
        if (next >= 0) {
            const auto kind = u_getIntPropertyValue(next, UCHAR_GRAPHEME_CLUSTER_BREAK);
            if (kind == U_GCB_EXTEND || kind == U_GCB_ZWJ || kind == U_GCB_SPACING_MARK)
                return false;
        }
    }
    if (index > 0 && static_cast<unsigned char>(text[index - 1]) >= 0x80) {
        const UChar32 previous = codePointBefore(text, index);
        if (previous >= 0 && u_getIntPropertyValue(previous, UCHAR_GRAPHEME_CLUSTER_BREAK) == U_GCB_PREPEND)
            return false;
    }
    return true;
}

} // namespace threadhop
