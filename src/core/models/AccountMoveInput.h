#pragma once

#include "ClaudeAccount.h"
#include "MoveMode.h"
#include "TranscriptScope.h"

#include <optional>
#include <string>

namespace threadhop {

/// The request for copying one conversation from one account into another.
struct AccountMoveInput {
    ClaudeAccount source;
    ClaudeAccount target;
    std::string sessionId;
    std::string sourceFolderName;      ///< the project folder under the source account's projects/
    std::string launchCwd;             ///< the working directory the conversation was started in
    std::optional<std::string> newCwd; ///< a working directory for the copy; absent or empty keeps launchCwd
    MoveMode mode = MoveMode::fork;    ///< the copy that can never be mistaken for its source
    TranscriptScope scope;
    bool rewriteHistory = false; ///< the cwd rewrite also touches history occurrences

    bool operator==(const AccountMoveInput&) const = default;
};

} // namespace threadhop
