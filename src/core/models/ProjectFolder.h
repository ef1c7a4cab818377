#pragma once

#include "ResumeStatus.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace threadhop {

/// One folder directly under an account's projects/ that holds at least one conversation.
struct ProjectFolder {
    std::string id; ///< account id, ":", folder name
    std::string accountId;
    std::string folderName;               ///< the encoded working directory
    std::optional<std::string> actualCwd; ///< recorded by the newest conversation
    std::int64_t sessionCount = 0;        ///< top-level .jsonl files
    std::int64_t subagentCount = 0;       ///< further .jsonl files in subfolders
    std::int64_t totalSizeBytes = 0;
    std::chrono::system_clock::time_point lastModified;
    ResumeStatus status = ResumeStatus::noCwdRecorded;

    bool operator==(const ProjectFolder&) const = default;
};

} // namespace threadhop
