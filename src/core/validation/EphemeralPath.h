#pragma once

#include <array>
#include <string_view>

namespace threadhop::EphemeralPath {

/// The platform's temporary-location prefixes, in order.
inline constexpr std::array<std::string_view, 4> roots{"/private/var/folders/", "/var/folders/", "/private/tmp/",
                                                       "/tmp/"};

/// True when the path text begins with one of the roots (case-sensitive; no link resolution).
bool isEphemeral(std::string_view path);

} // namespace threadhop::EphemeralPath
