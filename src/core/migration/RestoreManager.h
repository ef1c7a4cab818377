#pragma once

#include "ConversationMigrator.h"
#include "MigrationError.h"
#include "RestorePlan.h"
#include "core/models/MigrationRecord.h"
#include "core/util/fs/AtomicFile.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

// Undoes a folder migration from the archive of its source folder.
namespace threadhop::RestoreManager {

/// The history, indexed once, with the folders and archives it names, each looked at once: judging
/// every record of it takes time in proportion to its length (the history window judges every row).
/// A judgement of the moment it is made; make a new one to judge again.
class History final {
public:
    explicit History(const std::vector<MigrationRecord>& audit);

    /// True when a record of the history reverts the one with `id`.
    bool undone(const Uuid& id) const { return m_undone.contains(id); }

    RestorePlan::FolderProbe& probe() const { return m_probe; }

private:
    std::set<Uuid> m_undone;
    mutable RestorePlan::FolderProbe m_probe;
};

/// Why `record` cannot be undone, or nothing. `projectsRoot` is the account's projects folder;
/// `audit` the whole history. Only probes the file system, and reads no archive: the undo itself
/// refuses, before it changes anything, what only the archive can tell. Not even that for a record
/// whose folder or entry names are not plain names (empty, ".", "..", a "/" or a NUL), nor for the
/// record of an account move: neither can be undone.
std::optional<MigrationError> obstacle(const MigrationRecord& record, const std::filesystem::path& projectsRoot,
                                       const History& audit);
std::optional<MigrationError> obstacle(const MigrationRecord& record, const std::filesystem::path& projectsRoot,
                                       const std::vector<MigrationRecord>& audit);

/// Undoes the record's migration and returns the reverting record, already in the history. Under
/// the account's lock it extracts the record's folder from the archive into a hidden work folder,
/// refuses what the archive shows cannot be undone, archives the migrated folder (and the old one,
/// when it exists), and then, under a pending note, takes out of the migrated folder only what the
/// record brought there and moves the archive's entries into the old folder (those of the same
/// names replaced); the migrated folder goes only when it is left empty. Blocks while tar runs.
/// Throws the obstacle, MigrationError for a failed archive or extraction (nothing changed) or a
/// failed move (taken back, or left to the next start's recovery when even that fails); no
/// reverting record is written then, so the record stays restorable. `move` moves one item.
MigrationRecord restore(const MigrationRecord& record, const std::filesystem::path& projectsRoot,
                        std::string_view stamp, const std::vector<MigrationRecord>& audit,
                        const ConversationMigrator::EntryMove& move = AtomicFile::moveWithoutReplacing);

} // namespace threadhop::RestoreManager
