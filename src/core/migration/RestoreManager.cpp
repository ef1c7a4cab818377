#include "RestoreManager.h"

#include "BackupArchiver.h"
#include "core/models/UserError.h"
#include "core/operations/AccountLock.h"
#include "core/operations/MigrationAudit.h"
#include "core/operations/PendingOperation.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/text/PathText.h"

#include <algorithm>
#include <set>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error))
        names.insert(it->path().filename().string());
    if (error)
        names.clear();
    return names;
}

// Takes away what the migration put into the migrated folder.
void removeMigratedCopy(const MigrationRecord& record, const fs::path& migrated)
{
    if (!record.movedEntryNames) {
        if (record.oldFolder == record.newFolder || !FileMetadata::itemExists(migrated))
            return; // a resync: the extraction has written the archived files over the folder
        try {
            fs::remove_all(migrated);
        } catch (const fs::filesystem_error& error) {
            throw MigrationError::renameFailed(
                "Could not remove " + record.newFolder + ": " + UserError::describe(error)
                + ". The conversations are back in place, but the migrated copy is still there too.");
        }
        return;
    }
    std::vector<std::string> stuck;
    for (const auto& name : *record.movedEntryNames) {
        if (!FileMetadata::itemExists(migrated / name))
            continue;
        std::error_code error;
        fs::remove_all(migrated / name, error);
        if (error)
            stuck.push_back(name);
    }
    if (!stuck.empty())
        throw MigrationError::renameFailed("The conversations are back in " + record.oldFolder + ", but "
                                           + std::to_string(stuck.size()) + " could not be taken out of "
                                           + record.newFolder + ": " + UserError::listed(stuck)
                                           + ". They are in both places now.");
}

// Anything else read from the history (empty, ".", "..", a path) would reach outside the
// account's projects folder.
bool namesArePlain(const MigrationRecord& record)
{
    if (!PathText::isPlainName(record.oldFolder) || !PathText::isPlainName(record.newFolder))
        return false;
    return !record.movedEntryNames
        || std::all_of(record.movedEntryNames->begin(), record.movedEntryNames->end(),
                       [](const std::string& name) { return PathText::isPlainName(name); });
}

bool isUndone(const MigrationRecord& record, const std::vector<MigrationRecord>& audit)
{
    return std::any_of(audit.begin(), audit.end(),
                       [&](const MigrationRecord& other) { return other.revertsRecordId == record.id; });
}

// A migration of another project, or an account move, that put conversations into the folder this
// record would remove: undoing this record first would take them away unannounced.
bool laterMoveInto(const MigrationRecord& record, const std::vector<MigrationRecord>& audit)
{
    // The history lists the newest first; a record not found in it counts every entry as later.
    const auto self =
        std::find_if(audit.begin(), audit.end(), [&](const MigrationRecord& other) { return other.id == record.id; });
    return std::any_of(audit.begin(), self, [&](const MigrationRecord& later) {
        if (!later.success || later.dryRun || later.revertsRecordId || later.newFolder != record.newFolder
            || isUndone(later, audit))
            return false;
        if (later.targetAccountId)
            return *later.targetAccountId == record.accountId;
        return later.accountId == record.accountId && later.oldFolder != record.oldFolder;
    });
}

} // namespace

std::optional<MigrationError> RestoreManager::obstacle(const MigrationRecord& record, const fs::path& projectsRoot,
                                                       const std::vector<MigrationRecord>& audit)
{
    if (!namesArePlain(record))
        return MigrationError::notRestorable(
            "This entry is damaged: it names a folder or a conversation by something other than a plain name, so "
            "undoing it could touch files outside the project.");
    if (record.targetAccountId)
        return MigrationError::notRestorable(
            "This entry moved a conversation to another account. Undoing it from its backup would overwrite the "
            "source project while the copy stays in the other account.");
    if (record.dryRun)
        return MigrationError::notRestorable("A dry run changed nothing.");
    if (!record.success && (!record.movedEntryNames || record.movedEntryNames->empty()))
        return MigrationError::notRestorable("This entry did not change anything.");
    if (!record.backupPath || !FileMetadata::itemExists(*record.backupPath))
        return MigrationError::backupFailed("The backup no longer exists.");
    if (isUndone(record, audit))
        return MigrationError::notRestorable("This migration has already been undone.");
    if (laterMoveInto(record, audit))
        return MigrationError::notRestorable(
            "A later migration moved conversations into this folder. Undo that one first.");
    if (record.oldFolder != record.newFolder) {
        const auto migrated = projectsRoot / record.newFolder;
        if (!FileMetadata::itemExists(migrated))
            return MigrationError::notRestorable("The conversations have moved again since this migration, so undoing "
                                                 "it would bring back a copy instead of "
                                                 "putting things as they were.");
        if (record.movedEntryNames) {
            const auto present = namesIn(migrated);
            const auto missing = std::count_if(record.movedEntryNames->begin(), record.movedEntryNames->end(),
                                               [&](const std::string& name) { return !present.contains(name); });
            if (missing > 0)
                return MigrationError::notRestorable(
                    std::to_string(missing)
                    + " of the conversations this move brought in are no longer in that "
                      "project, so undoing it would not put things as they were.");
        }
    }
    return std::nullopt;
}

MigrationRecord RestoreManager::restore(const MigrationRecord& record, const fs::path& projectsRoot,
                                        std::string_view stamp, const std::vector<MigrationRecord>& audit)
{
    const AccountLock account({projectsRoot});
    // The caller's history may be older than the file: another window may have acted meanwhile.
    for (const auto& history : {audit, MigrationAudit::records()}) {
        if (auto refused = obstacle(record, projectsRoot, history))
            throw *refused;
    }
    const auto migrated = projectsRoot / record.newFolder;
    const Uuid revertingId = Uuid::random();
    const PendingOperations::Lock running(revertingId);
    std::optional<std::string> preRestoreArchive;
    if (FileMetadata::itemExists(migrated))
        preRestoreArchive = BackupArchiver::backup(migrated, "pre-restore-" + std::string(stamp), revertingId).string();
    // Naming the folder extracts nothing else, and fails when the archive does not hold it.
    BackupArchiver::extract(*record.backupPath, projectsRoot, record.oldFolder);
    removeMigratedCopy(record, migrated);

    MigrationRecord reverting{
        .id = revertingId,
        .timestamp = std::chrono::system_clock::now(),
        .accountId = record.accountId,
        .oldCwd = record.newCwd,
        .newCwd = record.oldCwd,
        .oldFolder = record.newFolder,
        .newFolder = record.oldFolder,
        .backupPath = preRestoreArchive ? preRestoreArchive : record.backupPath,
        .success = true,
        .message = "Restore from backup (reverts migration " + record.id.upperText().substr(0, 8) + ")",
        .revertsRecordId = record.id,
    };
    MigrationAudit::append(reverting);
    return reverting;
}

} // namespace threadhop
