#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace threadhop {

/// One pass over a transcript: whether it is whole and safe to resume.
struct TranscriptIntegrity {
    std::int64_t lines = 0;                            ///< non-empty lines
    std::int64_t invalidLines = 0;                     ///< lines that are not a JSON object
    std::vector<std::string> unansweredAtTail;         ///< tool calls without a result in the last two lines
    std::vector<std::string> unansweredInMiddle;       ///< the other tool calls without a result
    std::optional<std::int64_t> lastCompleteLineIndex; ///< last line after which every call had its result
    std::optional<std::string> launchCwd;              ///< the first recorded working directory
    std::vector<std::string> recordedCwds;             ///< distinct, in order of first appearance
    std::optional<std::int64_t> lastContextTokens;     ///< context size of the last turn that gave one

    bool operator==(const TranscriptIntegrity&) const = default;

    /// The recorded directories neither equal to the launch directory nor below it.
    std::vector<std::string> driftedOutOfTree() const;
};

} // namespace threadhop
