#pragma once

#include <optional>
#include <string_view>

namespace threadhop {

/// The case of a string-valued enumeration whose string value is exactly `text`, or nothing.
/// Each enumeration specialises it beside its own toString.
template <typename Enum>
std::optional<Enum> fromString(std::string_view text);

} // namespace threadhop
