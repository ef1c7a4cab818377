#include "ConversationMigrator.h"

#include "BackupArchiver.h"
#include "JSONLRewriter.h"
#include "MigrationAudit.h"
#include "core/encoding/CwdCodec.h"
#include "core/util/ErrorText.h"
#include "core/util/FileQueries.h"
#include "core/util/TextJoin.h"

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

// What a rollback could not put back, and the sentence for the failure record.
struct Residue {
    std::optional<std::vector<std::string>> names;
    std::string message;
};

const JSONLRewriter::Scope& scopeOf(const ConversationMigrator::Input& input)
{
    return input.rewriteHistory ? JSONLRewriter::Scope::withHistory : JSONLRewriter::Scope::sessionOnly;
}

std::map<std::string, std::int64_t> byClassName(const std::map<CwdClass, std::int64_t>& byClass)
{
    std::map<std::string, std::int64_t> named;
    for (const auto& [cwdClass, count] : byClass)
        named.emplace(toString(cwdClass), count);
    return named;
}

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
    plan.destinationPopulated = FileQueries::itemExists(plan.newFolderURL);
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

std::vector<std::string> entryNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

Residue rollBack(const Plan& plan, const ConversationMigrator::Moved& moved, const ConversationMigrator::Input& input,
                 const JSONLRewriter::Result& rewrite, const ConversationMigrator::EntryMove& move)
{
    std::vector<std::string> stuck;
    if (plan.destinationPopulated) {
        std::error_code ignored;
        fs::create_directories(plan.oldFolderURL, ignored);
        for (const auto& name : moved.names) {
            if (!FileQueries::itemExists(plan.newFolderURL / name))
                continue;
            try {
                move(plan.newFolderURL / name, plan.oldFolderURL / name);
            } catch (const std::exception&) {
                stuck.push_back(name);
            }
        }
    } else if (plan.renameNeeded && FileQueries::itemExists(plan.newFolderURL)) {
        try {
            move(plan.newFolderURL, plan.oldFolderURL);
        } catch (const std::exception&) {
            stuck.push_back(plan.newFolderName);
        }
    }
    if (!stuck.empty())
        return {stuck, std::to_string(stuck.size()) + " item(s) could not be put back and are still in " + plan.newFolderName
                           + ": " + TextJoin::commaSeparated(stuck) + ". The folder was archived before this started."};
    const auto& scope = scopeOf(input);
    if (JSONLRewriter::inScopeTotal(rewrite, scope) > 0) {
        try {
            JSONLRewriter::rewrite(plan.oldFolderURL, input.newCwd, input.oldCwd, scope);
        } catch (const std::exception&) {
            return {std::nullopt, "The files are back in " + input.oldFolderName
                                      + ", but the recorded working directory could not be restored. The folder was "
                                        "archived before this started."};
        }
    }
    return {std::nullopt, "Nothing was applied; every file is back where it started."};
}

} // namespace

void ConversationMigrator::moveItem(const fs::path& from, const fs::path& to)
{
    // A plain rename would silently replace a file that is already there.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system that cannot refuse by itself: look first, then rename.
        error = FileQueries::itemExists(to) ? EEXIST : (::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno);
        if (error == 0)
            return;
    }
    throw fs::filesystem_error("cannot move", from, to, std::error_code(error, std::generic_category()));
}

std::optional<MigrationError> ConversationMigrator::refusal(const Input& input)
{
    if (input.oldCwd.empty() || input.newCwd.empty())
        return MigrationError::emptyPath();
    const auto oldFolder = input.projectsRoot / input.oldFolderName;
    if (!FileQueries::itemExists(oldFolder))
        return MigrationError::oldFolderMissing(oldFolder.string());
    return std::nullopt;
}

std::int64_t ConversationMigrator::conversationCount(const fs::path& folder)
{
    std::error_code error;
    std::int64_t count = 0;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        if (it->path().filename().string().ends_with(".jsonl"))
            ++count;
    }
    return error ? 0 : count;
}

MigrationPreview ConversationMigrator::preview(const Input& input)
{
    const auto scan = JSONLRewriter::scan(input.projectsRoot / input.oldFolderName, input.oldCwd);
    const auto refused = refusal(input);
    const std::string newFolder = CwdCodec::encode(input.newCwd);
    const bool populated = !refused && newFolder != input.oldFolderName && FileQueries::itemExists(input.projectsRoot / newFolder);
    return MigrationPreview{
        .oldFolder = input.oldFolderName,
        .newFolder = newFolder,
        .filesToRewrite = scan.files,
        .totalOccurrences = JSONLRewriter::inScopeTotal(scan, scopeOf(input)),
        .destinationPopulated = populated,
        .incomingConversations = conversationCount(input.projectsRoot / input.oldFolderName),
        .destinationConversations = populated ? std::optional(conversationCount(input.projectsRoot / newFolder)) : std::nullopt,
        .blockedReason = refused ? std::optional<std::string>(refused->what()) : std::nullopt,
        .occurrencesByClass = scan.byClass,
        .unparsableLines = scan.unparsableLines,
    };
}

MigrationRecord ConversationMigrator::dryRun(const Input& input)
{
    const Plan plan = planFor(input);
    const auto scan = JSONLRewriter::scan(plan.oldFolderURL, input.oldCwd);
    const auto occurrences = JSONLRewriter::inScopeTotal(scan, scopeOf(input));
    MigrationRecord record = baseRecord(input, plan.newFolderName);
    record.filesRewritten = scan.files;
    record.occurrencesReplaced = occurrences;
    record.dryRun = true;
    record.success = true;
    record.message = "Dry run: " + std::to_string(scan.files) + " files, " + std::to_string(occurrences) + " occurrences.";
    record.rewroteHistory = input.rewriteHistory;
    record.occurrencesByClass = byClassName(scan.byClass);
    return record;
}

MigrationRecord ConversationMigrator::migrate(const Input& input, std::string_view stamp, const EntryMove& move)
{
    const Plan plan = planFor(input);
    const auto& scope = scopeOf(input);
    const std::string backupPath = BackupArchiver::backup(plan.oldFolderURL, stamp).string();
    if (plan.destinationPopulated)
        BackupArchiver::backup(plan.newFolderURL, "destination-" + std::string(stamp));
    const auto rewrite = JSONLRewriter::rewrite(plan.oldFolderURL, input.oldCwd, input.newCwd, scope);

    Moved moved;
    if (plan.destinationPopulated) {
        moved = moveEntries(plan.oldFolderURL, plan.newFolderURL, move);
        std::error_code ignored;
        fs::remove(plan.oldFolderURL, ignored); // empty now; a failure leaves an empty folder
    } else if (plan.renameNeeded) {
        try {
            move(plan.oldFolderURL, plan.newFolderURL);
        } catch (const std::exception& error) {
            throw MigrationError::renameFailed(ErrorText::describe(error));
        }
    }
    const fs::path holder = plan.renameNeeded ? plan.newFolderURL : plan.oldFolderURL;

    if (input.oldCwd != input.newCwd) {
        // The new directory's own text is no reference to the old one, even below it.
        const auto residue = JSONLRewriter::inScopeTotal(JSONLRewriter::scan(holder, input.oldCwd, input.newCwd), scope);
        if (residue > 0) {
            const Residue left = rollBack(plan, moved, input, rewrite, move);
            MigrationRecord failure = baseRecord(input, plan.newFolderName);
            failure.backupPath = backupPath;
            failure.message = "Verification failed: " + std::to_string(residue) + " old references remain. " + left.message;
            failure.movedEntryNames = left.names;
            MigrationAudit::append(failure);
            throw MigrationError::verificationFailed(residue);
        }
    }

    MigrationRecord record = baseRecord(input, plan.newFolderName);
    record.filesRewritten = rewrite.files;
    record.occurrencesReplaced = JSONLRewriter::inScopeTotal(rewrite, scope);
    record.backupPath = backupPath;
    record.success = true;
    record.rewroteHistory = input.rewriteHistory;
    record.occurrencesByClass = byClassName(rewrite.byClass);
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
    MigrationAudit::append(record);
    return record;
}

ConversationMigrator::Moved ConversationMigrator::moveEntries(const fs::path& from, const fs::path& into, const EntryMove& move)
{
    const auto sourceNames = entryNames(from);
    const auto destinationNames = entryNames(into);
    std::vector<std::string> clashes;
    for (const auto& name : sourceNames) {
        if (std::find(destinationNames.begin(), destinationNames.end(), name) != destinationNames.end())
            clashes.push_back(name);
    }
    if (!clashes.empty()) {
        std::sort(clashes.begin(), clashes.end());
        throw MigrationError::nameClash(clashes);
    }

    Moved moved;
    for (const auto& name : sourceNames) {
        try {
            move(from / name, into / name);
        } catch (const std::exception& error) {
            std::vector<std::string> stuck;
            for (auto it = moved.names.rbegin(); it != moved.names.rend(); ++it) {
                try {
                    move(into / *it, from / *it);
                } catch (const std::exception&) {
                    stuck.push_back(*it);
                }
            }
            const std::string reason = ErrorText::describe(error);
            if (stuck.empty())
                throw MigrationError::renameFailed(reason + " — nothing was moved; every file is back where it started.");
            throw MigrationError::renameFailed(reason + " — and " + std::to_string(stuck.size())
                                               + " file(s) could not be put back: " + TextJoin::commaSeparated(stuck)
                                               + ". Both folders were archived before this started.");
        }
        moved.names.push_back(name);
        if (fs::path(name).extension() == ".jsonl")
            ++moved.conversationCount;
    }
    return moved;
}

} // namespace threadhop
