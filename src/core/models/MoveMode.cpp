#include "MoveMode.h"

namespace threadhop {

std::string_view toString(MoveMode mode)
{
    return mode == MoveMode::clone ? "clone" : "fork";
}

} // namespace threadhop
