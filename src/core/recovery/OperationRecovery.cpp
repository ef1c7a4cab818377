#include "OperationRecovery.h"

#include "InterruptedMigration.h"
#include "RecoveryBounds.h"
#include "core/discovery/AccountScanner.h"
#include "core/migration/BackupArchiver.h"
#include "core/models/UserError.h"
#include "core/operations/AccountLock.h"
#include "core/operations/MigrationAudit.h"
#include "core/operations/PendingOperation.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/text/PathText.h"

#include <algorithm>
#include <set>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using Report = OperationRecovery::Report;

// The copy an account move placed is ours to take out only while it is exactly as the move left
// it: the user may have resumed it since.
std::optional<std::string> takeOutPlacedCopy(const PendingAccountMove& move)
{
    std::error_code ignored;
    fs::remove_all(move.staging, ignored);
    const fs::path& target = move.targetFolder;
    std::vector<fs::path> topItems;
    for (const auto& placed : move.placed) {
        const fs::path& path = placed.path;
        if (!FileMetadata::itemExists(path))
            continue;
        std::error_code error;
        const auto now =
            fs::is_regular_file(fs::symlink_status(path, error)) ? PendingOperations::placedFile(path) : std::nullopt;
        if (!now || now->sizeBytes != placed.sizeBytes || now->modifiedNanoseconds != placed.modifiedNanoseconds)
            return path.string() + " changed since";
        const fs::path top = target / *path.lexically_relative(target).begin();
        if (std::find(topItems.begin(), topItems.end(), top) == topItems.end())
            topItems.push_back(top);
    }
    // A resumed conversation may have written new files beside the copied ones.
    for (const auto& top : topItems) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(top, error), end; !error && it != end; it.increment(error)) {
            const bool known = std::any_of(move.placed.begin(), move.placed.end(),
                                           [&](const auto& placed) { return placed.path == it->path(); });
            if (!known && !it->is_directory(error))
                return it->path().string() + " appeared since";
        }
    }
    for (const auto& top : topItems)
        fs::remove_all(top);
    if (move.createsTargetFolder && fs::is_directory(target, ignored) && fs::is_empty(target, ignored))
        fs::remove(target, ignored);
    return std::nullopt;
}

MigrationRecord interruptedRecord(const PendingOperation& operation, const std::string& accountId)
{
    MigrationRecord record{
        .id = operation.recordId,
        .timestamp = std::chrono::system_clock::now(),
        .accountId = accountId,
        .oldCwd = operation.oldCwd,
        .newCwd = operation.newCwd,
        .oldFolder = operation.oldFolder,
        .newFolder = operation.newFolder,
        .backupPath = operation.archive.string(),
        .success = false,
        .message = "Threadhop stopped before this migration finished; at the next start every file was put back "
                   "as it was before.",
    };
    if (!operation.isMigration()) {
        const auto& move = operation.accountMove();
        record.message = "Threadhop stopped before this move finished; at the next start the unfinished copy was "
                         "taken out of "
            + move.targetAccountId + " again.";
        record.targetAccountId = move.targetAccountId;
        record.moveMode = move.moveMode;
    }
    return record;
}

std::string described(const PendingOperation& operation)
{
    if (!operation.isMigration())
        return "A move of a conversation from " + operation.accountId + " to "
            + operation.accountMove().targetAccountId;
    return "A migration of " + operation.oldFolder + " to " + operation.newFolder;
}

Report undone(const PendingOperation& operation)
{
    const std::string what = operation.isMigration() ? "Every file was put back as it was before it started."
                                                     : "The unfinished copy was taken out again.";
    return {Report::Outcome::undone, described(operation) + " was interrupted. " + what};
}

Report leftAlone(const PendingOperation& operation, const std::string& problem)
{
    return {Report::Outcome::leftAlone,
            described(operation) + " was interrupted, and its files cannot be put back safely (" + problem
                + "), so Threadhop left them as they are. The backup taken before it "
                  "started is "
                + operation.archive.string() + "."};
}

// What an operation leaves of ours once its story is over: its hidden folders, and the temporary
// files of a write it was killed in (a transcript's, a moves note's).
void removeWorkFiles(const PendingOperation& operation)
{
    std::error_code ignored;
    const fs::path& root = operation.projectsRoot;
    AtomicFile::removeTemporaries(root / operation.oldFolder);
    if (operation.isMigration()) {
        fs::remove_all(operation.migration().keptOriginals, ignored);
        AtomicFile::removeTemporaries(root / operation.newFolder);
    } else {
        fs::remove_all(operation.accountMove().staging, ignored);
        AtomicFile::removeTemporaries(operation.accountMove().targetFolder);
    }
}

std::optional<Report> recover(PendingOperation operation, const RecoveryBounds::Accounts& accounts,
                              const std::vector<MigrationRecord>& history)
{
    const bool recorded = std::any_of(history.begin(), history.end(),
                                      [&](const MigrationRecord& record) { return record.id == operation.recordId; });
    if (recorded) {
        removeWorkFiles(operation);
        PendingOperations::remove(operation);
        return std::nullopt;
    }
    if (operation.reported)
        return std::nullopt;
    std::optional<std::string> problem;
    try {
        problem = operation.isMigration() ? InterruptedMigration::putBack(operation)
                                          : takeOutPlacedCopy(operation.accountMove());
    } catch (const std::exception& error) {
        problem = UserError::describe(error);
    }
    if (problem) {
        operation.reported = true;
        try {
            PendingOperations::write(operation);
        } catch (const std::exception&) {
            // Told once more at the next start, then.
        }
        return leftAlone(operation, *problem);
    }
    // The record goes to the account whose folder was put right, whatever the note says.
    MigrationAudit::append(interruptedRecord(operation, accounts.accountId));
    removeWorkFiles(operation);
    PendingOperations::remove(operation);
    return undone(operation);
}

Report setAside(const fs::path& note, const std::optional<RecoveryBounds::Refusal>& refusal)
{
    const fs::path aside = PendingOperations::setAside(note);
    if (!refusal)
        return {Report::Outcome::unreadable,
                "Threadhop found a note of an interrupted operation that it cannot read: " + aside.string()
                    + ". Check the project folders it may have worked on; the backups are in "
                    + AppPaths::backupsDir().string() + "."};
    return {Report::Outcome::refused,
            "Threadhop found a note of an interrupted operation that names " + refusal->path + ", " + refusal->reason
                + ", so it changed nothing and set the note aside as " + aside.string() + "."};
}

// A backup that was still being written when its operation was killed names nothing: no record
// points to it.
void removeUnfinishedArchives()
{
    for (const auto& [archive, operation] : BackupArchiver::unfinishedArchives()) {
        if (const auto held = PendingOperations::Lock::tryTake(operation)) {
            std::error_code ignored;
            fs::remove(archive, ignored);
        }
    }
}

bool isWorkFolderName(const std::string& name)
{
    return std::any_of(std::begin(WorkFolders::kinds), std::end(WorkFolders::kinds),
                       [&](std::string_view kind) { return WorkFolders::isOf(name, kind); });
}

// Hidden work folders of killed operations that no note names (those set aside included): a full
// copy of a conversation would otherwise stay for ever. Only in folders no operation is busy with.
void removeOrphanWorkFolders(const std::vector<ClaudeAccount>& accounts)
{
    std::set<std::string> named;
    auto notes = PendingOperations::setAsideNotes();
    for (auto& note : PendingOperations::all()) {
        if (note.operation)
            notes.push_back(std::move(*note.operation));
    }
    for (const auto& note : notes) {
        const fs::path& folder = note.isMigration() ? note.migration().keptOriginals : note.accountMove().staging;
        named.insert(PathText::standardized(folder.native()));
    }
    for (const auto& account : accounts) {
        const fs::path projects = account.projectsDirURL();
        const auto lock = AccountLock::tryTake({projects}, AccountLock::Holder::recovery);
        if (!lock)
            continue;
        for (const auto& entry : DirectoryListing::entries(projects, DirectoryListing::Hidden::include)) {
            const fs::path& folder = entry.path();
            if (isWorkFolderName(folder.filename().string())
                && !named.contains(PathText::standardized(folder.native()))) {
                std::error_code ignored;
                fs::remove_all(folder, ignored); // a link goes itself, never what it leads to
            }
        }
    }
}

} // namespace

std::vector<Report> OperationRecovery::run()
{
    std::vector<Report> reports;
    try {
        MigrationAudit::removeTemporaries();
        PendingOperations::removeLeftovers();
        removeUnfinishedArchives();
        const auto accounts = AccountScanner::scanAll();
        const auto notes = PendingOperations::all();
        const auto history = notes.empty() ? std::vector<MigrationRecord>{} : MigrationAudit::records();
        for (const auto& note : notes) {
            // A second Threadhop leaves an operation that another one is still running alone.
            const auto operation = PendingOperations::operationOf(note.file);
            const auto lock = operation ? PendingOperations::Lock::tryTake(*operation) : std::nullopt;
            if (operation && !lock)
                continue;
            if (!note.operation) {
                reports.push_back(setAside(note.file, std::nullopt));
                continue;
            }
            const auto verdict = RecoveryBounds::check(*note.operation, accounts);
            if (!verdict.accounts) {
                reports.push_back(setAside(note.file, verdict.refusal));
                continue;
            }
            std::vector<fs::path> changed{verdict.accounts->projectsRoot};
            if (!verdict.accounts->targetProjects.empty())
                changed.push_back(verdict.accounts->targetProjects);
            const auto changing = AccountLock::tryTake(changed, AccountLock::Holder::recovery);
            if (!changing)
                continue; // another operation runs on these accounts: the next start sees to it
            if (auto report = recover(*note.operation, *verdict.accounts, history))
                reports.push_back(std::move(*report));
        }
        removeOrphanWorkFolders(accounts);
    } catch (const std::exception&) {
        // What could not be looked at now is looked at again at the next start.
    }
    return reports;
}

} // namespace threadhop
