#pragma once

#include "core/models/ResumeStatus.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// Temporary locations: a directory there vanishes by design, so it is no problem to fix.
namespace threadhop::EphemeralPath {

/// The platform's temporary-location prefixes, in order.
inline constexpr std::array<std::string_view, 4> roots{"/private/var/folders/", "/var/folders/", "/private/tmp/",
                                                       "/tmp/"};

/// True when the path text begins with one of the roots (case-sensitive; no link resolution).
bool isEphemeral(std::string_view path);

} // namespace threadhop::EphemeralPath

namespace threadhop::ResumeValidator {

/// The resume status of a project folder from its name and the directory its newest conversation
/// recorded: one existence check, no other reading.
ResumeStatus status(std::string_view folderName, const std::optional<std::string>& actualCwd);

} // namespace threadhop::ResumeValidator
