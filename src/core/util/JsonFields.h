#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <simdjson.h>

// Reading optional members of small JSON records (identity files, live-session records).
namespace threadhop::JsonFields {

/// The member's string value; nothing when it is missing or of another type.
inline std::optional<std::string> string(simdjson::dom::object object, std::string_view key)
{
    std::string_view text;
    if (object.at_key(key).get_string().get(text) != simdjson::SUCCESS)
        return std::nullopt;
    return std::string(text);
}

} // namespace threadhop::JsonFields
