#include "OperationRecovery.h"

#include "ConversationMigrator.h"
#include "InterruptedMigration.h"
#include "MigrationAudit.h"
#include "PendingOperation.h"
#include "core/models/UserError.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/FileMetadata.h"

#include <algorithm>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using Report = OperationRecovery::Report;

// The copy an account move placed is ours to take out only while it is exactly as the move left
// it: the user may have resumed it since.
std::optional<std::string> takeOutPlacedCopy(const PendingOperation& operation)
{
    std::error_code ignored;
    fs::remove_all(operation.staging, ignored);
    const fs::path target = operation.targetFolder;
    std::vector<fs::path> topItems;
    for (const auto& placed : operation.placed) {
        const fs::path path = placed.path;
        const auto now = PendingOperations::placedFile(path);
        if (!FileMetadata::itemExists(path))
            continue;
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
            const bool known = std::any_of(operation.placed.begin(), operation.placed.end(),
                                           [&](const auto& placed) { return fs::path(placed.path) == it->path(); });
            if (!known && !it->is_directory(error))
                return it->path().string() + " appeared since";
        }
    }
    for (const auto& top : topItems)
        fs::remove_all(top);
    if (operation.createsTargetFolder && fs::is_directory(target, ignored) && fs::is_empty(target, ignored))
        fs::remove(target, ignored);
    return std::nullopt;
}

MigrationRecord interruptedRecord(const PendingOperation& operation)
{
    const bool move = operation.kind == PendingOperation::Kind::accountMove;
    MigrationRecord record{
        .id = operation.recordId,
        .timestamp = std::chrono::system_clock::now(),
        .accountId = operation.accountId,
        .oldCwd = operation.oldCwd,
        .newCwd = operation.newCwd,
        .oldFolder = operation.oldFolder,
        .newFolder = operation.newFolder,
        .backupPath = operation.archive,
        .success = false,
        .message = move
            ? "Threadhop stopped before this move finished; at the next start the unfinished copy was taken "
              "out of "
                + operation.targetAccountId + " again."
            : "Threadhop stopped before this migration finished; at the next start every file was put back "
              "as it was before.",
    };
    if (move) {
        record.targetAccountId = operation.targetAccountId;
        record.moveMode = operation.moveMode;
    }
    return record;
}

std::string described(const PendingOperation& operation)
{
    if (operation.kind == PendingOperation::Kind::accountMove)
        return "A move of a conversation from " + operation.accountId + " to " + operation.targetAccountId;
    return "A migration of " + operation.oldFolder + " to " + operation.newFolder;
}

Report undone(const PendingOperation& operation)
{
    const std::string what = operation.kind == PendingOperation::Kind::accountMove
        ? "The unfinished copy was taken out again."
        : "Every file was put back as it was before it started.";
    return {Report::Outcome::undone, described(operation) + " was interrupted. " + what};
}

Report leftAlone(const PendingOperation& operation, const std::string& problem)
{
    return {Report::Outcome::leftAlone,
            described(operation) + " was interrupted, and its files cannot be put back safely (" + problem
                + "), so Threadhop left them as they are. The backup taken before it "
                  "started is "
                + operation.archive + "."};
}

// What an operation leaves of ours once its story is over: its hidden folders, and the temporary
// files of a write it was killed in (a transcript's, a moves note's).
void removeWorkFiles(const PendingOperation& operation)
{
    std::error_code ignored;
    if (!operation.keptOriginals.empty())
        fs::remove_all(operation.keptOriginals, ignored);
    if (!operation.staging.empty())
        fs::remove_all(operation.staging, ignored);
    const fs::path root = operation.projectsRoot;
    AtomicFile::removeTemporaries(root / operation.oldFolder);
    AtomicFile::removeTemporaries(operation.targetFolder.empty() ? root / operation.newFolder
                                                                 : fs::path(operation.targetFolder));
}

std::optional<Report> recover(PendingOperation operation, const std::vector<MigrationRecord>& history)
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
        problem = operation.kind == PendingOperation::Kind::migration ? InterruptedMigration::putBack(operation)
                                                                      : takeOutPlacedCopy(operation);
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
    MigrationAudit::append(interruptedRecord(operation));
    removeWorkFiles(operation);
    PendingOperations::remove(operation);
    return undone(operation);
}

} // namespace

std::vector<Report> OperationRecovery::run()
{
    std::vector<Report> reports;
    MigrationAudit::removeTemporaries();
    PendingOperations::removeLeftovers();
    const auto notes = PendingOperations::all();
    if (notes.empty())
        return reports;
    const auto history = MigrationAudit::records();
    for (const auto& note : notes) {
        if (!note.operation) {
            // Set aside so that it is told once; it stays for whoever looks into it.
            std::error_code ignored;
            fs::rename(note.file, fs::path(note.file).replace_extension(".unreadable"), ignored);
            reports.push_back(
                {Report::Outcome::unreadable,
                 "Threadhop found a note of an interrupted operation that it cannot read: " + note.file.string()
                     + ". Check the project folders it may have worked on; the backups are in "
                     + AppPaths::backupsDir().string() + "."});
            continue;
        }
        // A second Threadhop leaves an operation that another one is still running alone.
        const auto lock = PendingOperations::Lock::tryTake(note.operation->recordId);
        if (!lock)
            continue;
        if (auto report = recover(*note.operation, history))
            reports.push_back(std::move(*report));
    }
    return reports;
}

} // namespace threadhop
