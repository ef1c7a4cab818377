#include "ConversationMigrator.h"

#include "BackupArchiver.h"
#include "MigrationRollback.h"
#include "core/editing/JSONLRewriter.h"
#include "core/encoding/CwdCodec.h"
#include "core/models/UserError.h"
#include "core/operations/AccountLock.h"
#include "core/operations/MigrationAudit.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/FileDescriptor.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/text/PathText.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <stdio.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

struct Plan {
    fs::path oldFolderURL;
    fs::path newFolderURL;
    std::string newFolderName;
    bool renameNeeded = false;
    bool destinationPopulated = false;
};

Plan planFor(const ConversationMigrator::Input& input)
{
    if (auto refused = ConversationMigrator::refusal(input))
        throw *refused;
    Plan plan;
    plan.newFolderName = CwdCodec::encode(input.newCwd);
    plan.oldFolderURL = input.projectsRoot / input.oldFolderName;
    plan.newFolderURL = input.projectsRoot / plan.newFolderName;
    if (plan.newFolderName == input.oldFolderName)
        return plan;
    plan.renameNeeded = true;
    plan.destinationPopulated = FileMetadata::itemExists(plan.newFolderURL);
    if (plan.destinationPopulated && !input.allowPopulatedDestination)
        throw MigrationError::newFolderCollision(plan.newFolderURL.string());
    return plan;
}

// The fields every record of a migration shares.
MigrationRecord baseRecord(const ConversationMigrator::Input& input, const std::string& newFolder)
{
    return MigrationRecord{
        .id = Uuid::random(),
        .timestamp = std::chrono::system_clock::now(),
        .accountId = input.accountId,
        .oldCwd = input.oldCwd,
        .newCwd = input.newCwd,
        .oldFolder = input.oldFolderName,
        .newFolder = newFolder,
    };
}

// A FIFO, a link that leads nowhere or a link loop named "*.jsonl" holds no conversation.
bool isRegularFile(const fs::path& path)
{
    const auto metadata = FileMetadata::read(path);
    return metadata && metadata->isRegularFile;
}

// The entries directly in the folder, hidden ones included; a folder that cannot be listed ends
// the operation before anything moved.
std::vector<std::string> entryNames(const fs::path& folder)
{
    try {
        return DirectoryListing::names(folder, DirectoryListing::Hidden::include, DirectoryListing::Unlistable::fail);
    } catch (const fs::filesystem_error& error) {
        throw MigrationError::renameFailed("Threadhop cannot list " + folder.string() + ": " + error.code().message()
                                           + ". Nothing was moved.");
    }
}

} // namespace

std::int64_t ConversationMigrator::conversationCount(const fs::path& folder)
{
    const auto names =
        DirectoryListing::names(folder, DirectoryListing::Hidden::include, DirectoryListing::Unlistable::empty);
    // One that cannot be read is no conversation, as in the projects list.
    return std::count_if(names.begin(), names.end(), [&](const std::string& name) {
        return name.ends_with(".jsonl") && FileDescriptor::opensForReading(folder / name);
    });
}

MigrationPreview ConversationMigrator::preview(const Input& input)
{
    const auto scan = JSONLRewriter::scan(input.projectsRoot / input.oldFolderName, input.oldCwd);
    const auto refused = refusal(input);
    const std::string newFolder = CwdCodec::encode(input.newCwd);
    const bool populated =
        !refused && newFolder != input.oldFolderName && FileMetadata::itemExists(input.projectsRoot / newFolder);
    return MigrationPreview{
        .oldFolder = input.oldFolderName,
        .newFolder = newFolder,
        .filesToRewrite = scan.files,
        .totalOccurrences = JSONLRewriter::inScopeTotal(scan, JSONLRewriter::Scope::of(input.rewriteHistory)),
        .destinationPopulated = populated,
        .incomingConversations = conversationCount(input.projectsRoot / input.oldFolderName),
        .destinationConversations =
            populated ? std::optional(conversationCount(input.projectsRoot / newFolder)) : std::nullopt,
        .blockedReason = refused ? std::optional<std::string>(refused->what()) : std::nullopt,
        .occurrencesByClass = scan.byClass,
        .unparsableLines = scan.unparsableLines,
    };
}

MigrationRecord ConversationMigrator::dryRun(const Input& input)
{
    const Plan plan = planFor(input);
    const auto scan = JSONLRewriter::scan(plan.oldFolderURL, input.oldCwd);
    const auto occurrences = JSONLRewriter::inScopeTotal(scan, JSONLRewriter::Scope::of(input.rewriteHistory));
    MigrationRecord record = baseRecord(input, plan.newFolderName);
    record.filesRewritten = scan.files;
    record.occurrencesReplaced = occurrences;
    record.dryRun = true;
    record.success = true;
    record.message =
        "Dry run: " + std::to_string(scan.files) + " files, " + std::to_string(occurrences) + " occurrences.";
    record.rewroteHistory = input.rewriteHistory;
    record.occurrencesByClass = occurrencesByClassName(scan.byClass);
    return record;
}

namespace {

// Moves the entries that were moved back, the last first; returns those that could not be.
std::vector<std::string> movedBack(const std::vector<std::string>& names, const fs::path& from, const fs::path& into,
                                   const ConversationMigrator::EntryMove& move)
{
    std::vector<std::string> stuck;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        try {
            move(into / *it, from / *it);
        } catch (const std::exception&) {
            stuck.push_back(*it);
        }
    }
    return stuck;
}

// The occurrences of the old directory left where the conversations are now. The new directory's
// own text is no reference to the old one when it lies below it; the other way round, every old
// value lies below the new directory and must still be seen.
std::int64_t residueAfter(const fs::path& holder, const ConversationMigrator::Input& input)
{
    const bool newBelowOld = PathText::isAtOrBelow(input.newCwd, input.oldCwd);
    const auto scan = JSONLRewriter::scan(holder, input.oldCwd, newBelowOld ? std::string_view(input.newCwd) : "");
    return JSONLRewriter::inScopeTotal(scan, JSONLRewriter::Scope::of(input.rewriteHistory));
}

MigrationRecord failureRecord(const ConversationMigrator::Input& input, const Plan& plan, const std::string& backupPath,
                              std::string message, const MigrationRollback::Residue& residue)
{
    MigrationRecord failure = baseRecord(input, plan.newFolderName);
    failure.backupPath = backupPath;
    failure.message = std::move(message);
    failure.movedEntryNames = residue.names;
    if (!residue.unrestoredFiles.empty())
        failure.unrestoredFiles = residue.unrestoredFiles;
    return failure;
}

PendingOperation pendingNote(const Uuid& operation, const ConversationMigrator::Input& input, const Plan& plan,
                             const std::string& backupPath, const KeptOriginals& originals)
{
    return PendingOperation{
        .recordId = operation,
        .accountId = input.accountId,
        .oldCwd = input.oldCwd,
        .newCwd = input.newCwd,
        .oldFolder = input.oldFolderName,
        .newFolder = plan.newFolderName,
        .archive = backupPath,
        .projectsRoot = input.projectsRoot,
        .job =
            PendingMigration{.rewriteHistory = input.rewriteHistory,
                             .mergedEntries = plan.destinationPopulated ? std::optional(entryNames(plan.oldFolderURL))
                                                                        : std::nullopt,
                             .keptOriginals = originals.folder()},
    };
}

MigrationRecord successRecord(const ConversationMigrator::Input& input, const Plan& plan, const std::string& backupPath,
                              const JSONLRewriter::Result& rewrite, const ConversationMigrator::Moved& moved)
{
    MigrationRecord record = baseRecord(input, plan.newFolderName);
    record.filesRewritten = rewrite.files;
    record.occurrencesReplaced = JSONLRewriter::inScopeTotal(rewrite, JSONLRewriter::Scope::of(input.rewriteHistory));
    record.backupPath = backupPath;
    record.success = true;
    record.rewroteHistory = input.rewriteHistory;
    record.occurrencesByClass = occurrencesByClassName(rewrite.byClass);
    if (plan.destinationPopulated) {
        std::string message = "Moved " + std::to_string(moved.conversationCount)
            + " conversation(s) into a project that already had some.";
        const auto others = static_cast<std::int64_t>(moved.names.size()) - moved.conversationCount;
        if (others > 0)
            message += " (" + std::to_string(others) + " other file(s) came with them.)";
        record.message = message;
        record.movedEntryNames = moved.names;
    } else {
        record.message = plan.renameNeeded ? "Migrated and renamed." : "cwd resynced (no rename).";
    }
    return record;
}

} // namespace

MigrationRecord ConversationMigrator::migrate(const Input& input, std::string_view stamp, const EntryMove& move)
{
    const AccountLock account({input.projectsRoot});
    const Plan plan = planFor(input);
    const auto& scope = JSONLRewriter::Scope::of(input.rewriteHistory);
    // What an earlier crash left of ours in these folders goes before the archive is taken.
    AtomicFile::removeTemporaries(plan.oldFolderURL);
    if (plan.destinationPopulated)
        AtomicFile::removeTemporaries(plan.newFolderURL);
    const Uuid operation = Uuid::random();
    const PendingOperations::Lock running(operation);
    const std::string backupPath = BackupArchiver::backup(plan.oldFolderURL, stamp, operation).string();
    if (plan.destinationPopulated)
        BackupArchiver::backup(plan.newFolderURL, "destination-" + std::string(stamp), operation);

    KeptOriginals originals(input.projectsRoot, plan.oldFolderURL);
    const PendingOperation note = pendingNote(operation, input, plan, backupPath, originals);
    PendingOperations::write(note);
    OperationSteps::reached(OperationStep::noted);
    // The outcome, success or failure, ends the story: recorded first, then the note goes.
    const auto finish = [&](MigrationRecord record) {
        record.id = note.recordId;
        MigrationAudit::append(record);
        OperationSteps::reached(OperationStep::recorded);
        originals.discard();
        PendingOperations::remove(note);
        return record;
    };
    MigrationRollback rollback({plan.oldFolderURL, plan.newFolderURL, backupPath}, originals, move);
    // Every failure from here on puts the files back and leaves a record of what happened.
    const auto failWith = [&](std::string message, const MigrationRollback::Residue& residue) {
        finish(failureRecord(input, plan, backupPath, std::move(message), residue));
    };

    JSONLRewriter::Result rewrite;
    try {
        rewrite = JSONLRewriter::rewrite(JSONLRewriter::jsonlFiles(plan.oldFolderURL), input.oldCwd, input.newCwd,
                                         scope, &originals);
    } catch (const std::exception& error) {
        const auto residue = rollback.rollBack();
        const auto failure =
            MigrationError::rewriteFailed(UserError::asSentence(UserError::describe(error)) + " " + residue.message);
        failWith(failure.what(), residue);
        throw failure;
    }
    OperationSteps::reached(OperationStep::rewritten);

    Moved moved;
    if (plan.destinationPopulated) {
        try {
            moved = moveEntries(plan.oldFolderURL, plan.newFolderURL, move);
        } catch (const MigrationError& error) {
            // Entries that could not be moved back stay in the destination; their bytes go back there.
            rollback.noteMerged(error.names());
            const auto residue = rollback.rollBack();
            const auto failure = residue.unrestoredFiles.empty()
                ? error
                : MigrationError::renameFailed(UserError::asSentence(error.text()) + " " + residue.message);
            failWith(failure.what(), residue);
            throw failure;
        }
        rollback.noteMerged(moved.names);
        std::error_code ignored;
        fs::remove(plan.oldFolderURL, ignored); // empty now; a failure leaves an empty folder
    } else if (plan.renameNeeded) {
        try {
            move(plan.oldFolderURL, plan.newFolderURL);
        } catch (const std::exception& error) {
            const auto residue = rollback.rollBack();
            const auto failure =
                MigrationError::renameFailed(UserError::asSentence(UserError::describe(error)) + " " + residue.message);
            failWith(failure.what(), residue);
            throw failure;
        }
        rollback.noteRenamed();
    }
    OperationSteps::reached(OperationStep::moved);

    const fs::path holder = plan.renameNeeded ? plan.newFolderURL : plan.oldFolderURL;
    if (input.oldCwd != input.newCwd) {
        if (const auto residueCount = residueAfter(holder, input); residueCount > 0) {
            const auto residue = rollback.rollBack();
            const auto failure = MigrationError::verificationFailed(residueCount, residue.message);
            failWith(failure.what(), residue);
            throw failure;
        }
    }
    OperationSteps::reached(OperationStep::verified);
    // A writer the live-session check could not see (a session started since) appended meanwhile:
    // its lines went to the original or to the rewritten file, unrewritten either way.
    if (const auto grown = originals.grown([&](const std::string&) { return holder; }); !grown.empty()) {
        const auto residue = rollback.rollBack();
        const auto failure = MigrationError::writtenMeanwhile(UserError::listed(grown), residue.message);
        failWith(failure.what(), residue);
        throw failure;
    }
    return finish(successRecord(input, plan, backupPath, rewrite, moved));
}

ConversationMigrator::Moved ConversationMigrator::moveEntries(const fs::path& from, const fs::path& into,
                                                              const EntryMove& move)
{
    const auto destinationNames = entryNames(into);
    const auto names = entryNames(from);
    std::vector<std::string> clashes;
    for (const auto& name : names) {
        if (std::find(destinationNames.begin(), destinationNames.end(), name) != destinationNames.end())
            clashes.push_back(name);
    }
    if (!clashes.empty()) {
        std::sort(clashes.begin(), clashes.end());
        throw MigrationError::nameClash(clashes);
    }
    Moved moved;
    for (const auto& name : names) {
        const bool conversation = fs::path(name).extension() == ".jsonl" && isRegularFile(from / name);
        try {
            move(from / name, into / name);
        } catch (const std::exception& error) {
            throw MigrationError::renameFailed(UserError::describe(error), movedBack(moved.names, from, into, move));
        }
        moved.names.push_back(name);
        if (conversation)
            ++moved.conversationCount;
    }
    return moved;
}

} // namespace threadhop
