#include "CwdClass.h"

namespace threadhop {
namespace {

constexpr std::array<std::string_view, 4> names{"sessionCwd", "driftedCwd", "history", "externalState"};

} // namespace

std::string_view toString(CwdClass cwdClass)
{
    return names[static_cast<std::size_t>(cwdClass)];
}

} // namespace threadhop
