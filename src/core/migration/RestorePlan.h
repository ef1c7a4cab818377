#pragma once

#include "MigrationError.h"
#include "core/models/MigrationRecord.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
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

/// What the folders hold, each asked once: judging a long history asks about the same few folders
/// and archives again and again.
class FolderProbe final {
public:
    bool exists(const std::filesystem::path& path);
    /// The names directly in the folder, hidden ones included; none when it cannot be listed.
    const std::set<std::string>& names(const std::filesystem::path& folder);

private:
    std::map<std::filesystem::path, bool> m_exists;
    std::map<std::filesystem::path, std::set<std::string>> m_names;
};

/// Why the folders as they are now forbid the undo, as far as can be told without reading the
/// archive: newFolder gone or holding none of a merge's entries ("moved again"), or a merge's
/// entries missing. Only probes the file system, through `probe`.
std::optional<MigrationError> folderObstacle(const MigrationRecord& record, const std::filesystem::path& projectsRoot,
                                             FolderProbe& probe);

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
