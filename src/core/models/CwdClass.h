#pragma once

#include "EnumText.h"
#include <array>

#include <optional>
#include <string_view>

namespace threadhop {

/// The class of one occurrence of a working-directory-like path in a transcript line.
enum class CwdClass { sessionCwd, driftedCwd, history, externalState };

/// Every case, in case order.
inline constexpr std::array<CwdClass, 4> allCwdClasses{CwdClass::sessionCwd, CwdClass::driftedCwd, CwdClass::history,
                                                       CwdClass::externalState};

std::string_view toString(CwdClass cwdClass);
/// Exact match of a case name; anything else gives nothing.
template <>
std::optional<CwdClass> fromString<CwdClass>(std::string_view text);

} // namespace threadhop
