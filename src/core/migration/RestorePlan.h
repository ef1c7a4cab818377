#pragma once

#include "MigrationError.h"
#include "core/models/MigrationRecord.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the undo of a migration record takes out of its newFolder and puts back into its oldFolder:
// only what the record brought there, so that what other operations brought, or conversations
// started since, stay where they are.
namespace threadhop::RestorePlan {

/// What a record brought into its newFolder.
enum class Brought {
    wholeFolder, ///< a rename or a resync: the archive's entries of oldFolder
    entries,     ///< a merge, or a failure that left entries there: movedEntryNames
    files,       ///< nothing: a failure whose rollback left rewritten files in oldFolder (unrestoredFiles)
};
Brought broughtBy(const MigrationRecord& record);

/// Why the folders as they are now forbid the undo, as far as can be told without reading the
/// archive: newFolder gone or holding none of a merge's entries ("moved again"), or a merge's
/// entries missing. Only probes the file system.
std::optional<MigrationError> folderObstacle(const MigrationRecord& record, const std::filesystem::path& projectsRoot);

/// The moves of an undo (see PendingRestore), paths relative to their folders.
struct Moves {
    bool oldFolderExisted = false;
    std::vector<std::string> takenOut;
    std::vector<std::string> displaced;
    std::vector<std::string> broughtIn;
};

/// The moves that undo `record`, given the archive's copy of its oldFolder at `archived`. Throws
/// MigrationError::notRestorable when newFolder holds none of the record's entries, or a conversation
/// of a rename that is missing from newFolder stands in another project folder (one deleted since
/// comes back from the archive).
Moves movesFor(const MigrationRecord& record, const std::filesystem::path& projectsRoot,
               const std::filesystem::path& archived);

/// The sentence of a record whose undo would bring back a copy.
MigrationError movedAgain();

} // namespace threadhop::RestorePlan
