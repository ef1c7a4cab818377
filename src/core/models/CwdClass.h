#pragma once

#include <array>
#include <string_view>

namespace threadhop {

/// The class of one occurrence of a working-directory-like path in a transcript line.
enum class CwdClass { sessionCwd, driftedCwd, history, externalState };

/// Every case, in case order.
inline constexpr std::array<CwdClass, 4> allCwdClasses{CwdClass::sessionCwd, CwdClass::driftedCwd, CwdClass::history,
                                                       CwdClass::externalState};

/// The name the history file stores for the class.
inline std::string_view toString(CwdClass cwdClass)
{
    constexpr std::array<std::string_view, 4> names{"sessionCwd", "driftedCwd", "history", "externalState"};
    return names[static_cast<std::size_t>(cwdClass)];
}

} // namespace threadhop
