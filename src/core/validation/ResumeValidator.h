#pragma once

#include "core/models/ResumeStatus.h"

#include <optional>
#include <string>
#include <string_view>

namespace threadhop::ResumeValidator {

/// The resume status of a project folder from its name and the directory its newest conversation
/// recorded: one existence check, no other reading.
ResumeStatus status(std::string_view folderName, const std::optional<std::string>& actualCwd);

} // namespace threadhop::ResumeValidator
