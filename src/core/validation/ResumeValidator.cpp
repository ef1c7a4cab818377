#include "ResumeValidator.h"

#include "core/encoding/CwdCodec.h"

#include <algorithm>
#include <filesystem>

namespace threadhop {

bool EphemeralPath::isEphemeral(std::string_view path)
{
    return std::any_of(roots.begin(), roots.end(), [&](std::string_view root) { return path.starts_with(root); });
}

ResumeStatus ResumeValidator::status(std::string_view folderName, const std::optional<std::string>& actualCwd)
{
    if (!actualCwd || actualCwd->empty())
        return ResumeStatus::noCwdRecorded;
    std::error_code error;
    if (std::filesystem::is_directory(*actualCwd, error))
        return CwdCodec::encode(*actualCwd) == folderName ? ResumeStatus::ok : ResumeStatus::cwdMismatch;
    return EphemeralPath::isEphemeral(*actualCwd) ? ResumeStatus::ephemeralLocation : ResumeStatus::targetMissing;
}

} // namespace threadhop
