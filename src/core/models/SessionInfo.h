#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace threadhop {

/// One conversation of a project, for the sessions list.
struct SessionInfo {
    std::string id; ///< the transcript's file name without ".jsonl"
    std::chrono::system_clock::time_point lastModified;
    std::int64_t sizeBytes = 0;
    std::int64_t userMessageCount = 0;
    std::vector<std::string> recentUserMessages;

    bool operator==(const SessionInfo&) const = default;
};

} // namespace threadhop
