#include "EphemeralPath.h"

#include <algorithm>

namespace threadhop {

bool EphemeralPath::isEphemeral(std::string_view path)
{
    return std::any_of(roots.begin(), roots.end(), [&](std::string_view root) { return path.starts_with(root); });
}

} // namespace threadhop
