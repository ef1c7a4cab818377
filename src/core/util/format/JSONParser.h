#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <simdjson.h>

namespace threadhop {

/// Reads every text that is JSON by RFC 8259. simdjson reads nearly all of them at full speed; the
/// few valid texts it refuses (integers beyond 64 bits, numbers beyond the range of a double,
/// \uD800–\uDFFF escapes without their other half, which JavaScript writes when it cuts a text
/// inside an emoji) are checked by a reader of ours and parsed from a normalised copy: such a number
/// becomes the nearest double (±1.7976931348623157e308 beyond the range), such an escape U+FFFD.
/// Only the parsed values see the copy; callers edit the original text. Nesting deeper than
/// simdjson's 1024 levels is refused, as RFC 8259 allows a reader to do.
///
/// The element a parse returns lives until the next parse with the same parser.
class JSONParser final {
public:
    /// Parses `json`. With `paddedInPlace`, the simdjson::SIMDJSON_PADDING bytes after it must be
    /// readable (they are read, never changed); otherwise the text is copied first.
    simdjson::simdjson_result<simdjson::dom::element> parse(std::string_view json, bool paddedInPlace = false);

    /// Parses `piece`, which lies inside `text`, in place when the rest of the text covers the padding.
    simdjson::simdjson_result<simdjson::dom::element> parseWithin(std::string_view text, std::string_view piece);

    /// The text with the values simdjson refuses normalised as described above; false, with `out`
    /// unspecified, when `json` is not a JSON text.
    static bool normalize(std::string_view json, std::string& out);

    /// The text of each element of `array`, without the white space around it, in order: what a
    /// writer copies to keep an element exactly as it was. Decided by the brackets, strings and
    /// escapes alone, so an element too deep to parse or holding bytes that are not UTF-8 costs no
    /// other its text; whether each element is JSON is left to the caller. Nothing when the text is
    /// no array: not one pair of matching brackets around elements parted by commas.
    static std::optional<std::vector<std::string_view>> elementTexts(std::string_view array);

    /// True when `text` is one JSON text by RFC 8259 at any depth, also beyond the 1024 levels that
    /// parse() refuses.
    static bool isJson(std::string_view text);

    /// The member's string value; nothing when it is missing or of another type.
    static std::optional<std::string> stringMember(simdjson::dom::object object, std::string_view key);

private:
    simdjson::dom::parser m_parser;
    std::string m_normalized; ///< reused from parse to parse
};

} // namespace threadhop
