#include "RestoreManager.h"

#include "BackupArchiver.h"
#include "RestoreMoves.h"
#include "RestorePlan.h"
#include "core/models/UserError.h"
#include "core/operations/AccountLock.h"
#include "core/operations/MigrationAudit.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/text/PathText.h"

#include <algorithm>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

// Anything else read from the history (empty, ".", "..", a path) would reach outside the
// account's projects folder.
bool namesArePlain(const MigrationRecord& record)
{
    if (!PathText::isPlainName(record.oldFolder) || !PathText::isPlainName(record.newFolder))
        return false;
    const auto allPlain = [](const std::optional<std::vector<std::string>>& names, auto isPlain) {
        return !names || std::all_of(names->begin(), names->end(), isPlain);
    };
    return allPlain(record.movedEntryNames, [](const std::string& name) { return PathText::isPlainName(name); })
        && allPlain(record.unrestoredFiles,
                    [](const std::string& path) { return PathText::isPlainRelativePath(path); });
}

bool changedSomething(const MigrationRecord& record)
{
    const auto some = [](const std::optional<std::vector<std::string>>& names) { return names && !names->empty(); };
    return record.success || some(record.movedEntryNames) || some(record.unrestoredFiles);
}

// The archive's copy of the record's folder, in a hidden folder of the projects folder, gone with
// this object unless the undo's note took it over.
class Extraction final {
public:
    Extraction(const MigrationRecord& record, const fs::path& projectsRoot)
        : m_folder(WorkFolders::fresh(projectsRoot, WorkFolders::restoring))
    {
        try {
            fs::create_directories(m_folder);
        } catch (const fs::filesystem_error& error) {
            throw MigrationError::undoFailed("the backup " + *record.backupPath + " could not be read back ("
                                             + UserError::describe(error) + "). Nothing was changed.");
        }
        try {
            // Naming the folder extracts nothing else, and fails when the archive does not hold it.
            BackupArchiver::extract(*record.backupPath, m_folder, record.oldFolder);
        } catch (...) {
            std::error_code ignored;
            fs::remove_all(m_folder, ignored);
            throw;
        }
    }
    ~Extraction()
    {
        if (m_kept)
            return;
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    Extraction(const Extraction&) = delete;
    Extraction& operator=(const Extraction&) = delete;

    const fs::path& folder() const { return m_folder; }
    /// The undo's note names it from now on; whoever finishes the undo removes it.
    void keep() { m_kept = true; }

private:
    fs::path m_folder;
    bool m_kept = false;
};

// Where the undo starts from, kept beside the other backups: the migrated folder, and the old
// folder when it exists again.
std::optional<std::string> archiveBeforeUndo(const MigrationRecord& record, const fs::path& projectsRoot,
                                             std::string_view stamp, const Uuid& operation)
{
    const std::string preRestore = "pre-restore-" + std::string(stamp);
    std::optional<std::string> migrated;
    if (FileMetadata::itemExists(projectsRoot / record.newFolder))
        migrated = BackupArchiver::backup(projectsRoot / record.newFolder, preRestore, operation).string();
    if (record.oldFolder != record.newFolder && FileMetadata::itemExists(projectsRoot / record.oldFolder))
        BackupArchiver::backup(projectsRoot / record.oldFolder, preRestore, operation);
    return migrated;
}

PendingOperation pendingNote(const MigrationRecord& record, const fs::path& projectsRoot, const Uuid& operation,
                             const std::string& wayBack, const fs::path& extracted, const RestorePlan::Moves& moves)
{
    PendingRestore restore{.revertsRecordId = record.id,
                           .extracted = extracted,
                           .replaced = WorkFolders::fresh(projectsRoot, WorkFolders::replaced),
                           .oldFolderExisted = moves.oldFolderExisted,
                           .takenOut = moves.takenOut,
                           .displaced = moves.displaced,
                           .broughtIn = moves.broughtIn};
    const fs::path archived = extracted / record.oldFolder;
    const fs::path oldFolder = projectsRoot / record.oldFolder;
    if (!moves.oldFolderExisted) {
        RestoreMoves::collectPlaced(archived, oldFolder, restore.placed);
    } else {
        for (const auto& path : moves.broughtIn)
            RestoreMoves::collectPlaced(archived / path, oldFolder / path, restore.placed);
    }
    return PendingOperation{
        .recordId = operation,
        .accountId = record.accountId,
        .oldCwd = record.oldCwd,
        .newCwd = record.newCwd,
        .oldFolder = record.oldFolder,
        .newFolder = record.newFolder,
        .archive = wayBack,
        .projectsRoot = projectsRoot,
        .job = std::move(restore),
    };
}

// A move that failed half-way is taken back; only when even that fails does the note stay for the
// next start's recovery.
[[noreturn]] void undoFailedMoving(const PendingOperation& note, const std::exception& error,
                                   const ConversationMigrator::EntryMove& move)
{
    const std::string cause = "a conversation could not be moved (" + UserError::describe(error) + ")";
    if (const auto problem = RestoreMoves::takeBack(note, move)) {
        throw MigrationError::undoFailed(cause + ", and " + *problem
                                         + "; Threadhop puts the rest back at its next start.");
    }
    RestoreMoves::discard(note);
    PendingOperations::remove(note);
    throw MigrationError::undoFailed(cause + ". Nothing was changed.");
}

MigrationRecord revertingRecord(const MigrationRecord& record, const Uuid& id,
                                const std::optional<std::string>& preRestoreArchive)
{
    return MigrationRecord{
        .id = id,
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
}

} // namespace

RestoreManager::History::History(const std::vector<MigrationRecord>& audit)
{
    for (const auto& record : audit) {
        if (record.revertsRecordId)
            m_undone.insert(*record.revertsRecordId);
    }
}

std::optional<MigrationError> RestoreManager::obstacle(const MigrationRecord& record, const fs::path& projectsRoot,
                                                       const History& audit)
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
    if (!changedSomething(record))
        return MigrationError::notRestorable("This entry did not change anything.");
    if (!record.backupPath || !audit.probe().exists(*record.backupPath))
        return MigrationError::backupFailed("The backup no longer exists.");
    if (audit.undone(record.id))
        return MigrationError::notRestorable("This migration has already been undone.");
    return RestorePlan::folderObstacle(record, projectsRoot, audit.probe());
}

std::optional<MigrationError> RestoreManager::obstacle(const MigrationRecord& record, const fs::path& projectsRoot,
                                                       const std::vector<MigrationRecord>& audit)
{
    return obstacle(record, projectsRoot, History(audit));
}

MigrationRecord RestoreManager::restore(const MigrationRecord& record, const fs::path& projectsRoot,
                                        std::string_view stamp, const std::vector<MigrationRecord>& audit,
                                        const ConversationMigrator::EntryMove& move)
{
    const AccountLock account({projectsRoot});
    // The caller's history may be older than the file: another window may have acted meanwhile.
    for (const auto& history : {audit, MigrationAudit::records()}) {
        if (auto refused = obstacle(record, projectsRoot, history))
            throw *refused;
    }
    const Uuid revertingId = Uuid::random();
    const PendingOperations::Lock running(revertingId);
    Extraction extraction(record, projectsRoot);
    const auto moves = RestorePlan::movesFor(record, projectsRoot, extraction.folder() / record.oldFolder);
    const auto preRestoreArchive = archiveBeforeUndo(record, projectsRoot, stamp, revertingId);

    const PendingOperation note = pendingNote(
        record, projectsRoot, revertingId, preRestoreArchive.value_or(*record.backupPath), extraction.folder(), moves);
    PendingOperations::write(note);
    extraction.keep();
    OperationSteps::reached(OperationStep::noted);
    try {
        RestoreMoves::apply(note, move);
    } catch (const std::exception& error) {
        undoFailedMoving(note, error, move);
    }

    const MigrationRecord reverting = revertingRecord(record, revertingId, preRestoreArchive);
    MigrationAudit::append(reverting);
    OperationSteps::reached(OperationStep::recorded);
    RestoreMoves::discard(note);
    PendingOperations::remove(note);
    return reverting;
}

} // namespace threadhop
