#pragma once

#include <string>
#include <string_view>

namespace threadhop {

/// `text` as one single-quoted POSIX shell word; each ' becomes '\''.
std::string shellQuote(std::string_view text);

} // namespace threadhop
