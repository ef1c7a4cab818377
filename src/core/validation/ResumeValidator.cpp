#include "ResumeValidator.h"

#include "EphemeralPath.h"
#include "core/encoding/CwdCodec.h"

#include <filesystem>

namespace threadhop {

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
