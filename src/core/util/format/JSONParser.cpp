#include "JSONParser.h"

#include "core/util/format/HexDigit.h"
#include "core/util/text/UnicodeText.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include <locale.h>

namespace threadhop {
namespace {

// simdjson's own nesting limit: a deeper text fails its parse of the normalised copy anyway.
constexpr std::size_t maxDepth = 1024;

bool isWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal text to double in the C locale whatever the program's locale (Qt sets the user's).
double decimalValue(const std::string& token)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const double value = strtod_l(token.c_str(), nullptr, cLocale);
    if (std::isinf(value))
        return std::signbit(value) ? -DBL_MAX : DBL_MAX;
    return value;
}

// One pass over a JSON text that checks it against RFC 8259 and writes the normalised copy.
class Normalizer final {
public:
    Normalizer(std::string_view text, std::string& out, std::size_t depthLimit = maxDepth)
        : m_text(text), m_out(out), m_depthLimit(depthLimit)
    {
    }

    bool run()
    {
        enum class Expect { value, valueOrClose, key, keyOrClose, afterValue };
        std::vector<char> open; // '{' or '['
        Expect expect = Expect::value;
        for (;;) {
            copyWhitespace();
            if (expect == Expect::afterValue) {
                if (open.empty())
                    return m_at == m_text.size();
                if (m_at == m_text.size())
                    return false;
                const char c = m_text[m_at];
                if (c == ',') {
                    copy(1);
                    expect = open.back() == '{' ? Expect::key : Expect::value;
                } else if (c == (open.back() == '{' ? '}' : ']')) {
                    copy(1);
                    open.pop_back();
                } else {
                    return false;
                }
                continue;
            }
            if (m_at == m_text.size())
                return false;
            const char c = m_text[m_at];
            if ((expect == Expect::valueOrClose && c == ']') || (expect == Expect::keyOrClose && c == '}')) {
                copy(1);
                open.pop_back();
                expect = Expect::afterValue;
                continue;
            }
            if (expect == Expect::key || expect == Expect::keyOrClose) {
                if (c != '"' || !string())
                    return false;
                copyWhitespace();
                if (m_at == m_text.size() || m_text[m_at] != ':')
                    return false;
                copy(1);
                expect = Expect::value;
                continue;
            }
            if (c == '{' || c == '[') {
                if (open.size() == m_depthLimit)
                    return false;
                open.push_back(c);
                copy(1);
                expect = c == '{' ? Expect::keyOrClose : Expect::valueOrClose;
                continue;
            }
            if (!scalar(c))
                return false;
            expect = Expect::afterValue;
        }
    }

private:
    void copy(std::size_t count)
    {
        m_out.append(m_text.substr(m_at, count));
        m_at += count;
    }

    void copyWhitespace()
    {
        const std::size_t from = m_at;
        while (m_at < m_text.size() && isWhitespace(m_text[m_at]))
            ++m_at;
        m_out.append(m_text.substr(from, m_at - from));
    }

    bool scalar(char c)
    {
        if (c == '"')
            return string();
        for (const std::string_view literal : {"true", "false", "null"}) {
            if (m_text.substr(m_at).starts_with(literal)) {
                copy(literal.size());
                return true;
            }
        }
        return number();
    }

    bool digits()
    {
        const std::size_t from = m_at;
        while (m_at < m_text.size() && isDigit(m_text[m_at]))
            ++m_at;
        return m_at > from;
    }

    bool number()
    {
        const std::size_t start = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '-')
            ++m_at;
        if (m_at < m_text.size() && m_text[m_at] == '0')
            ++m_at;
        else if (!digits())
            return false;
        bool integer = true;
        if (m_at < m_text.size() && m_text[m_at] == '.') {
            ++m_at;
            integer = false;
            if (!digits())
                return false;
        }
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            ++m_at;
            integer = false;
            if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-'))
                ++m_at;
            if (!digits())
                return false;
        }
        const std::string_view token = m_text.substr(start, m_at - start);
        if (integer && fitsSixtyFourBits(token)) {
            m_out.append(token);
            return true;
        }
        // Scientific form always: the shortest fixed form of a large double reads as an integer
        // beyond 64 bits again.
        char shortest[32];
        const auto written = std::to_chars(shortest, shortest + sizeof shortest, decimalValue(std::string(token)),
                                           std::chars_format::scientific);
        m_out.append(shortest, written.ptr);
        return true;
    }

    static bool fitsSixtyFourBits(std::string_view token)
    {
        const char* end = token.data() + token.size();
        std::int64_t signedValue = 0;
        if (std::from_chars(token.data(), end, signedValue).ec == std::errc())
            return true;
        std::uint64_t unsignedValue = 0;
        return token.front() != '-' && std::from_chars(token.data(), end, unsignedValue).ec == std::errc();
    }

    // The four hexadecimal digits of a \u escape starting at `at`; -1 when they are not there.
    int escapedUnit(std::size_t at) const
    {
        if (at + 6 > m_text.size() || m_text[at] != '\\' || m_text[at + 1] != 'u')
            return -1;
        int unit = 0;
        for (std::size_t i = at + 2; i < at + 6; ++i) {
            const int digit = hexDigitValue(m_text[i]);
            if (digit < 0)
                return -1;
            unit = unit * 16 + digit;
        }
        return unit;
    }

    bool string()
    {
        copy(1);
        for (;;) {
            if (m_at == m_text.size())
                return false;
            const auto c = static_cast<unsigned char>(m_text[m_at]);
            if (c == '"') {
                copy(1);
                return true;
            }
            if (c < 0x20)
                return false;
            if (c != '\\') {
                copy(1);
                continue;
            }
            if (m_at + 1 == m_text.size())
                return false;
            const char escaped = m_text[m_at + 1];
            if (escaped != 'u') {
                if (std::string_view("\"\\/bfnrt").find(escaped) == std::string_view::npos)
                    return false;
                copy(2);
                continue;
            }
            const int unit = escapedUnit(m_at);
            if (unit < 0)
                return false;
            const bool high = unit >= 0xD800 && unit <= 0xDBFF;
            const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
            if (high) {
                const int next = escapedUnit(m_at + 6);
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    copy(12);
                    continue;
                }
            }
            if (high || low) {
                m_out.append("\\uFFFD");
                m_at += 6;
                continue;
            }
            copy(6);
        }
    }

    std::string_view m_text;
    std::string& m_out;
    std::size_t m_depthLimit;
    std::size_t m_at = 0;
};

// Errors that a valid text may still get from simdjson; the others mean the text is not JSON
// (or is one we refuse as well, like a deeper nesting).
bool mayBeValidJson(simdjson::error_code error)
{
    switch (error) {
    case simdjson::UTF8_ERROR:
    case simdjson::DEPTH_ERROR:
    case simdjson::EMPTY:
    case simdjson::CAPACITY:
    case simdjson::MEMALLOC:
        return false;
    default:
        return true;
    }
}

} // namespace

bool JSONParser::normalize(std::string_view json, std::string& out)
{
    out.clear();
    out.reserve(json.size() + simdjson::SIMDJSON_PADDING);
    return UnicodeText::isValidUtf8(json) && Normalizer(json, out).run();
}

simdjson::simdjson_result<simdjson::dom::element> JSONParser::parse(std::string_view json, bool paddedInPlace)
{
    auto result = m_parser.parse(json.data(), json.size(), !paddedInPlace);
    if (result.error() == simdjson::SUCCESS || !mayBeValidJson(result.error()) || !normalize(json, m_normalized))
        return result;
    const std::size_t size = m_normalized.size();
    m_normalized.append(simdjson::SIMDJSON_PADDING, ' ');
    return m_parser.parse(m_normalized.data(), size, false);
}

simdjson::simdjson_result<simdjson::dom::element> JSONParser::parseWithin(std::string_view text, std::string_view piece)
{
    const bool paddedInPlace = piece.data() + piece.size() + simdjson::SIMDJSON_PADDING <= text.data() + text.size();
    return parse(piece, paddedInPlace);
}

bool JSONParser::isJson(std::string_view text)
{
    std::string copy;
    return UnicodeText::isValidUtf8(text) && Normalizer(text, copy, std::numeric_limits<std::size_t>::max()).run();
}

std::optional<std::vector<std::string_view>> JSONParser::elementTexts(std::string_view array)
{
    const auto trimmed = [](std::string_view text) {
        while (!text.empty() && isWhitespace(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && isWhitespace(text.back()))
            text.remove_suffix(1);
        return text;
    };
    array = trimmed(array);
    if (!array.starts_with('['))
        return std::nullopt;
    std::vector<std::string_view> elements;
    std::vector<char> closers; // of the brackets open inside the current element
    bool inString = false;
    std::size_t start = 1;
    for (std::size_t at = start; at < array.size(); ++at) {
        const char c = array[at];
        if (inString) {
            if (c == '\\')
                ++at;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            closers.push_back(c == '[' ? ']' : '}');
        } else if (c == ']' || c == '}') {
            if (!closers.empty()) {
                if (c != closers.back())
                    return std::nullopt;
                closers.pop_back();
                continue;
            }
            if (c == '}')
                return std::nullopt;
            const auto last = trimmed(array.substr(start, at - start));
            if (last.empty() && !elements.empty())
                return std::nullopt; // "[1,]"
            if (!last.empty())
                elements.push_back(last);
            if (at + 1 != array.size())
                return std::nullopt; // something after the array
            return elements;
        } else if (c == ',' && closers.empty()) {
            const auto element = trimmed(array.substr(start, at - start));
            if (element.empty())
                return std::nullopt;
            elements.push_back(element);
            start = at + 1;
        }
    }
    return std::nullopt;
}

std::optional<std::string> JSONParser::stringMember(simdjson::dom::object object, std::string_view key)
{
    std::string_view text;
    if (object.at_key(key).get_string().get(text) != simdjson::SUCCESS)
        return std::nullopt;
    return std::string(text);
}

} // namespace threadhop
