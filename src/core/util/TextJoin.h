#pragma once

#include <string>
#include <vector>

namespace threadhop::TextJoin {

/// The texts joined with ", ", as messages list names.
std::string commaSeparated(const std::vector<std::string>& texts);

} // namespace threadhop::TextJoin
