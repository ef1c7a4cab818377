#pragma once

#include "StringValued.h"

namespace threadhop {

/// The class of one occurrence of a working-directory-like path in a transcript line.
enum class CwdClass { sessionCwd, driftedCwd, history, externalState };

/// Every case, in case order.
inline constexpr std::array<CwdClass, 4> allCwdClasses{CwdClass::sessionCwd, CwdClass::driftedCwd, CwdClass::history,
                                                       CwdClass::externalState};

/// The names the history file stores for the classes.
template <>
struct StringValues<CwdClass> {
    static constexpr std::array<std::string_view, 4> values{"sessionCwd", "driftedCwd", "history", "externalState"};
};

} // namespace threadhop
