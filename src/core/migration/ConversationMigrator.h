#pragma once

#include "MigrationError.h"
#include "core/models/MigrationPreview.h"
#include "core/models/MigrationRecord.h"
#include "core/util/fs/AtomicFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Moves one project folder's conversations to a new working directory inside one account:
// archive, rewrite, rename or merge, verification, rollback and a history record.
namespace threadhop::ConversationMigrator {

/// The request for a folder migration.
struct Input {
    std::string accountId;
    std::filesystem::path projectsRoot; ///< the account's projects folder
    std::string oldFolderName;
    std::string oldCwd;
    std::string newCwd;
    bool rewriteHistory = false;            ///< also rewrite recorded history, not only session directories
    bool allowPopulatedDestination = false; ///< when false, an existing destination folder is refused

    bool operator==(const Input&) const = default;
};

/// Moves one file-system item; throws when it cannot.
using EntryMove = std::function<void(const std::filesystem::path& from, const std::filesystem::path& to)>;

/// The entries moved into a populated destination.
struct Moved {
    std::vector<std::string> names;     ///< in the order they were moved
    std::int64_t conversationCount = 0; ///< regular files, or links to them, named "*.jsonl"

    bool operator==(const Moved&) const = default;
};

/// The first refusal that applies: an empty directory, then a missing old folder.
std::optional<MigrationError> refusal(const Input& input);

/// What the migration would do. Never fails.
MigrationPreview preview(const Input& input);

/// The record of what the migration would do; changes nothing and writes no history.
/// Throws the plan's refusals (MigrationError).
MigrationRecord dryRun(const Input& input);

/// Carries the migration out and returns its record, which is already in the history. `stamp`
/// ("yyyyMMdd-HHmmss", local time) names the archives. Throws MigrationError, or the platform's
/// error of a failed archive, rewrite or listing. A failed verification rolls back and appends a
/// failure record before it throws.
MigrationRecord migrate(const Input& input, std::string_view stamp,
                        const EntryMove& move = AtomicFile::moveWithoutReplacing);

/// Moves every entry of `from` into `into`. Refuses with nameClash, moving nothing, when a name
/// is taken; when one move fails, moves the others back and throws renameFailed saying what
/// could not be put back.
Moved moveEntries(const std::filesystem::path& from, const std::filesystem::path& into,
                  const EntryMove& move = AtomicFile::moveWithoutReplacing);

/// Regular files, or links to them, directly in the folder (hidden ones included) whose names end
/// in ".jsonl" and that can be opened for reading; 0 when it cannot be listed.
std::int64_t conversationCount(const std::filesystem::path& folder);

} // namespace threadhop::ConversationMigrator
