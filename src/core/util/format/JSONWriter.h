#pragma once

#include "JSONValue.h"

#include <string>
#include <string_view>

namespace threadhop::JSONWriter {

/// The JSON string form of `text` without its quotes: only what RFC 8259 requires is escaped
/// (quote, backslash, control characters); "/" and non-ASCII text stay as they are.
std::string escaped(std::string_view text);

/// Pretty-printed text: one member or element per line, two spaces per level, keys sorted.
std::string pretty(const JSONValue& value);

} // namespace threadhop::JSONWriter
