#include "MoveMode.h"

namespace threadhop {

std::string_view toString(MoveMode mode)
{
    return mode == MoveMode::clone ? "clone" : "fork";
}

template <>
std::optional<MoveMode> fromString<MoveMode>(std::string_view text)
{
    for (const MoveMode mode : allMoveModes) {
        if (toString(mode) == text)
            return mode;
    }
    return std::nullopt;
}

} // namespace threadhop
