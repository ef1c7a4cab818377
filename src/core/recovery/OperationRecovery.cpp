#include "OperationRecovery.h"

#include "InterruptedMigration.h"
#include "RecoveryBounds.h"
#include "core/accountmove/MoveLedger.h"
#include "core/discovery/AccountScanner.h"
#include "core/migration/BackupArchiver.h"
#include "core/migration/RestoreMoves.h"
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
    if (operation.isAccountMove()) {
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
    if (operation.isAccountMove())
        return "A move of a conversation from " + operation.accountId + " to "
            + operation.accountMove().targetAccountId;
    if (operation.isRestore())
        return "An undo of " + operation.oldFolder;
    return "A migration of " + operation.oldFolder + " to " + operation.newFolder;
}

Report undone(const PendingOperation& operation)
{
    const std::string what = operation.isAccountMove() ? "The unfinished copy was taken out again."
                                                       : "Every file was put back as it was before it started.";
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
    if (operation.isRestore()) {
        RestoreMoves::discard(operation);
        return;
    }
    AtomicFile::removeTemporaries(root / operation.oldFolder);
    if (operation.isMigration()) {
        fs::remove_all(operation.migration().keptOriginals, ignored);
        AtomicFile::removeTemporaries(root / operation.newFolder);
    } else {
        fs::remove_all(operation.accountMove().staging, ignored);
        AtomicFile::removeTemporaries(operation.accountMove().targetFolder);
    }
}

// A recorded move killed before it wrote its moves notes: each note still as it was before gets
// its entry.
void completeLedgers(const PendingAccountMove& move)
{
    for (const auto& ledger : move.ledgers) {
        if (MoveLedger::noteSize(ledger.folder) == ledger.sizeBefore)
            MoveLedger::appendRendered(ledger.text, ledger.folder);
    }
}

std::optional<std::string> putBack(const PendingOperation& operation)
{
    if (operation.isMigration())
        return InterruptedMigration::putBack(operation);
    if (operation.isRestore())
        return RestoreMoves::takeBack(operation, AtomicFile::moveWithoutReplacing);
    return takeOutPlacedCopy(operation.accountMove());
}

std::optional<Report> recover(PendingOperation operation, const RecoveryBounds::Accounts& accounts,
                              const std::vector<MigrationRecord>& history)
{
    const bool recorded = std::any_of(history.begin(), history.end(),
                                      [&](const MigrationRecord& record) { return record.id == operation.recordId; });
    if (recorded) {
        if (operation.isAccountMove())
            completeLedgers(operation.accountMove());
        removeWorkFiles(operation);
        PendingOperations::remove(operation);
        return std::nullopt;
    }
    if (operation.reported)
        return std::nullopt;
    std::optional<std::string> problem;
    try {
        problem = putBack(operation);
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
    // The record goes to the account whose folder was put right, whatever the note says. An undo
    // that was put back leaves none: its migration stays undoable.
    if (!operation.isRestore())
        MigrationAudit::append(interruptedRecord(operation, accounts.accountId));
    removeWorkFiles(operation);
    PendingOperations::remove(operation);
    return undone(operation);
}

bool isWorkFolderName(const std::string& name)
{
    return std::any_of(std::begin(WorkFolders::kinds), std::end(WorkFolders::kinds),
                       [&](std::string_view kind) { return WorkFolders::isOf(name, kind); });
}

// A folder that may hold the only copy of a user's file until its operation is told.
bool isKeepingFolderName(const std::string& name)
{
    return std::any_of(std::begin(WorkFolders::keepingKinds), std::end(WorkFolders::keepingKinds),
                       [&](std::string_view kind) { return WorkFolders::isOf(name, kind); });
}

std::vector<fs::path> keepingFolders(const std::vector<ClaudeAccount>& accounts)
{
    std::vector<fs::path> found;
    for (const auto& account : accounts) {
        for (const auto& entry : DirectoryListing::entries(account.projectsDirURL(), DirectoryListing::Hidden::include,
                                                           DirectoryListing::Unlistable::empty)) {
            if (isKeepingFolderName(entry.path().filename().string()))
                found.push_back(entry.path());
        }
    }
    return found;
}

Report setAside(const fs::path& note, const std::optional<RecoveryBounds::Refusal>& refusal,
                const std::vector<ClaudeAccount>& accounts)
{
    const fs::path aside = PendingOperations::setAside(note);
    if (refusal)
        return {Report::Outcome::refused,
                "Threadhop found a note of an interrupted operation that names " + refusal->path + ", "
                    + refusal->reason + ", so it changed nothing and set the note aside as " + aside.string() + "."};
    std::string text = "Threadhop found a note of an interrupted operation that it cannot read: " + aside.string()
        + ". Check the project folders it may have worked on; the backups are in " + AppPaths::backupsDir().string()
        + ".";
    std::vector<std::string> kept;
    for (const auto& folder : keepingFolders(accounts))
        kept.push_back(folder.string());
    if (!kept.empty())
        text += " Until that note is gone, Threadhop also keeps " + UserError::listed(kept)
            + ", which may hold the only copy of files an operation set aside.";
    return {Report::Outcome::unreadable, text};
}

// The error names the lock file that could not be opened, or the folder of lock files that could not be made.
Report lockFailure(const fs::filesystem_error& error)
{
    const fs::path& named = error.path1();
    const fs::path folder = named.extension() == ".lock" ? named.parent_path() : named;
    return {Report::Outcome::unchecked,
            "Threadhop could not check for interrupted operations: it could not lock " + folder.string() + " ("
                + error.code().message() + "). It will look again at the next start."};
}

// A backup that was still being written when its operation was killed names nothing: no record
// points to it.
void removeUnfinishedArchives()
{
    for (const auto& [archive, operation] : BackupArchiver::unfinishedArchives()) {
        try {
            if (const auto held = PendingOperations::Lock::tryTake(operation)) {
                std::error_code ignored;
                fs::remove(archive, ignored);
            }
        } catch (const fs::filesystem_error&) {
            // Looked at again at the next start.
        }
    }
}

// The work folders that the notes name, those set aside included.
std::set<std::string> namedWorkFolders(const std::vector<PendingOperations::Note>& notes)
{
    std::set<std::string> named;
    const auto name = [&](const fs::path& folder) { named.insert(PathText::standardized(folder.native())); };
    for (const auto& note : notes) {
        if (!note.operation)
            continue;
        const auto& operation = *note.operation;
        if (operation.isMigration()) {
            name(operation.migration().keptOriginals);
        } else if (operation.isRestore()) {
            name(operation.restore().extracted);
            name(operation.restore().replaced);
        } else {
            name(operation.accountMove().staging);
        }
    }
    return named;
}

// Hidden work folders of killed operations that no note names (those set aside included): a full
// copy of a conversation would otherwise stay for ever. Only in folders no operation is busy with,
// and never a folder that may hold the only copy of a file while a note set aside cannot be read:
// that note may name it.
void removeOrphanWorkFolders(const std::vector<ClaudeAccount>& accounts)
{
    auto notes = PendingOperations::setAsideNotes();
    const bool unreadableAside =
        std::any_of(notes.begin(), notes.end(), [](const PendingOperations::Note& note) { return !note.operation; });
    for (auto& note : PendingOperations::all())
        notes.push_back(std::move(note));
    const auto named = namedWorkFolders(notes);
    for (const auto& account : accounts) {
        const fs::path projects = account.projectsDirURL();
        const auto lock = [&]() -> std::optional<AccountLock> {
            try {
                return AccountLock::tryTake({projects}, AccountLock::Holder::recovery);
            } catch (const fs::filesystem_error&) {
                return std::nullopt; // told, when a note needed the lock
            }
        }();
        if (!lock)
            continue;
        for (const auto& entry : DirectoryListing::entries(projects, DirectoryListing::Hidden::include,
                                                           DirectoryListing::Unlistable::empty)) {
            const fs::path& folder = entry.path();
            const std::string name = folder.filename().string();
            if (!isWorkFolderName(name) || named.contains(PathText::standardized(folder.native()))
                || (unreadableAside && isKeepingFolderName(name)))
                continue;
            std::error_code ignored;
            fs::remove_all(folder, ignored); // a link goes itself, never what it leads to
        }
    }
}

// One note, under its operation's lock and then its accounts' locks, read again under them: what
// was read before may be the note of an operation that finished meanwhile.
std::optional<Report> recoverNote(const fs::path& file, const std::vector<ClaudeAccount>& accounts)
{
    // A second Threadhop leaves an operation that another one is still running alone.
    const auto id = PendingOperations::operationOf(file);
    const auto running = id ? PendingOperations::Lock::tryTake(*id) : std::nullopt;
    if (id && !running)
        return std::nullopt;
    const auto note = PendingOperations::read(file);
    if (!note)
        return std::nullopt;
    if (!note->operation)
        return setAside(file, std::nullopt, accounts);
    const auto verdict = RecoveryBounds::check(*note->operation, accounts);
    if (!verdict.accounts)
        return setAside(file, verdict.refusal, accounts);
    std::vector<fs::path> changed{verdict.accounts->projectsRoot};
    if (!verdict.accounts->targetProjects.empty())
        changed.push_back(verdict.accounts->targetProjects);
    const auto changing = AccountLock::tryTake(changed, AccountLock::Holder::recovery);
    if (!changing)
        return std::nullopt; // another operation runs on these accounts: the next start sees to it
    const auto now = PendingOperations::read(file);
    if (!now || now->operation != note->operation)
        return std::nullopt;
    return recover(*now->operation, *verdict.accounts, MigrationAudit::records());
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
        for (const auto& note : PendingOperations::all()) {
            try {
                if (auto report = recoverNote(note.file, accounts))
                    reports.push_back(std::move(*report));
            } catch (const fs::filesystem_error& error) {
                // A lock that cannot be made is no sign that another Threadhop is busy: nobody can tell.
                reports.push_back(lockFailure(error));
                return reports;
            }
        }
        removeOrphanWorkFolders(accounts);
    } catch (const std::exception&) {
        // What could not be looked at now is looked at again at the next start.
    }
    return reports;
}

} // namespace threadhop
