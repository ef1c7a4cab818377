#pragma once

#include "core/models/ClaudeAccount.h"
#include "core/operations/PendingOperation.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What a pending note may make the recovery touch. The note is read from the disk, where damage or
// another version may have left any path in it, and the recovery runs without asking: it acts
// only on plain names inside the projects folder of an account that is found now, never through
// a symbolic link.
namespace threadhop::RecoveryBounds {

/// The accounts whose projects folders a note's operation changed.
struct Accounts {
    std::string accountId;                ///< the account whose projects folder the note names
    std::filesystem::path projectsRoot;   ///< that folder
    std::filesystem::path targetProjects; ///< an account move's target account's projects folder
};

/// A path of the note that lies outside what its operation may change, and why.
struct Refusal {
    std::string path;
    std::string reason; ///< a clause, such as "which is no account's projects folder"
};

/// The accounts the operation changed, when every path the note names lies where it belongs among
/// `accounts` (as AccountScanner::scanAll() assembles them now); otherwise the first path refused.
/// Paths are compared standardized, after any "." or ".." component has been refused.
struct Verdict {
    std::optional<Accounts> accounts;
    std::optional<Refusal> refusal;
};
Verdict check(const PendingOperation& operation, const std::vector<ClaudeAccount>& accounts);

} // namespace threadhop::RecoveryBounds
