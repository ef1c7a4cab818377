#include "CwdClass.h"

namespace threadhop {
namespace {

constexpr std::array<std::string_view, 4> names{"sessionCwd", "driftedCwd", "history", "externalState"};

} // namespace

std::string_view toString(CwdClass cwdClass)
{
    return names[static_cast<std::size_t>(cwdClass)];
}

template <>
std::optional<CwdClass> fromString<CwdClass>(std::string_view text)
{
    for (const CwdClass cwdClass : allCwdClasses) {
        if (toString(cwdClass) == text)
            return cwdClass;
    }
    return std::nullopt;
}

} // namespace threadhop
