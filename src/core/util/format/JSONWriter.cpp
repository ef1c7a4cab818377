#include "JSONWriter.h"

#include "core/util/text/UnicodeText.h"

#include <type_traits>

namespace threadhop {
namespace {

void appendIndent(std::string& out, int level)
{
    out.append(static_cast<std::size_t>(level) * 2, ' ');
}

void appendString(std::string& out, std::string_view text)
{
    // The file must stay JSON whatever a name holds: bytes that are not UTF-8 become U+FFFD.
    out += '"';
    out += JSONWriter::escaped(UnicodeText::withReplacementCharacters(text));
    out += '"';
}

void write(std::string& out, const JSONValue& value, int level)
{
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::nullptr_t>) {
                out += "null";
            } else if constexpr (std::is_same_v<T, bool>) {
                out += v ? "true" : "false";
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                out += std::to_string(v);
            } else if constexpr (std::is_same_v<T, std::string>) {
                appendString(out, v);
            } else if constexpr (std::is_same_v<T, JSONValue::Verbatim>) {
                out += v.json;
            } else if constexpr (std::is_same_v<T, JSONValue::Array>) {
                if (v.empty()) {
                    out += "[]";
                    return;
                }
                out += "[\n";
                for (std::size_t i = 0; i < v.size(); ++i) {
                    appendIndent(out, level + 1);
                    write(out, v[i], level + 1);
                    out += i + 1 < v.size() ? ",\n" : "\n";
                }
                appendIndent(out, level);
                out += ']';
            } else {
                if (v.empty()) {
                    out += "{}";
                    return;
                }
                out += "{\n";
                std::size_t i = 0;
                for (const auto& [key, member] : v) {
                    appendIndent(out, level + 1);
                    appendString(out, key);
                    out += ": ";
                    write(out, member, level + 1);
                    out += ++i < v.size() ? ",\n" : "\n";
                }
                appendIndent(out, level);
                out += '}';
            }
        },
        value.storage());
}

} // namespace

std::string JSONWriter::escaped(std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += hex[byte >> 4];
                out += hex[byte & 0x0F];
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string JSONWriter::pretty(const JSONValue& value)
{
    std::string out;
    write(out, value, 0);
    return out;
}

} // namespace threadhop
