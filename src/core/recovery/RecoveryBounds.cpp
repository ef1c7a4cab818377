#include "RecoveryBounds.h"

#include "core/util/format/Uuid.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/text/PathText.h"

#include <algorithm>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using Refusal = RecoveryBounds::Refusal;

std::string standardized(const fs::path& path)
{
    return PathText::standardized(path.native());
}

bool hasDotComponent(const fs::path& path)
{
    return std::any_of(path.begin(), path.end(), [](const fs::path& part) { return part == "." || part == ".."; });
}

bool isDirectChild(const fs::path& path, const fs::path& folder)
{
    return PathText::isPlainName(path.filename().native()) && standardized(path.parent_path()) == standardized(folder);
}

// Where the note expects a folder: nothing yet, or a real folder, never a link.
bool folderOrNothing(const fs::path& path)
{
    std::error_code error;
    const auto type = fs::symlink_status(path, error).type();
    return type == fs::file_type::not_found || type == fs::file_type::directory;
}

const ClaudeAccount* accountWithProjects(const fs::path& projectsRoot, const std::string& preferredId,
                                         const std::vector<ClaudeAccount>& accounts)
{
    const ClaudeAccount* found = nullptr;
    for (const auto& account : accounts) {
        if (standardized(account.projectsDirURL()) != standardized(projectsRoot))
            continue;
        if (account.id == preferredId)
            return &account;
        if (!found)
            found = &account;
    }
    return found;
}

// The checks of one note, each giving the first path it refuses.
class Checks final {
public:
    std::optional<Refusal> plainName(const std::string& name) const
    {
        if (PathText::isPlainName(name))
            return std::nullopt;
        return Refusal{name, "which is not a plain folder name"};
    }

    std::optional<Refusal> relativePath(const std::string& path) const
    {
        if (PathText::isPlainRelativePath(path))
            return std::nullopt;
        return Refusal{path, "which is not a path of plain names inside its folder"};
    }

    std::optional<Refusal> childFolder(const fs::path& path, const fs::path& folder, std::string_view prefix = {}) const
    {
        if (hasDotComponent(path) || !isDirectChild(path, folder)
            || (!prefix.empty() && !WorkFolders::isOf(path.filename().native(), prefix)))
            return Refusal{path.string(), "which does not lie directly in " + folder.string()};
        return realFolder(path);
    }

    std::optional<Refusal> realFolder(const fs::path& path) const
    {
        if (folderOrNothing(path))
            return std::nullopt;
        return Refusal{path.string(), "which is a symbolic link or no folder"};
    }

    std::optional<Refusal> archive(const fs::path& path) const
    {
        if (hasDotComponent(path) || !isDirectChild(path, AppPaths::backupsDir()))
            return Refusal{path.string(), "which is not in Threadhop's backups folder"};
        return std::nullopt;
    }

    std::optional<Refusal> strictlyBelow(const fs::path& path, const fs::path& folder) const
    {
        const std::string standard = standardized(path);
        if (hasDotComponent(path) || standard == standardized(folder)
            || !PathText::isAtOrBelow(standard, standardized(folder)))
            return Refusal{path.string(), "which does not lie inside " + folder.string()};
        if (!FileMetadata::linkFreeBelow(folder, fs::path(standard).lexically_relative(standardized(folder))))
            return Refusal{path.string(), "which is reached through a symbolic link"};
        return std::nullopt;
    }
};

std::optional<Refusal> firstOf(std::initializer_list<std::optional<Refusal>> refusals)
{
    for (const auto& refusal : refusals) {
        if (refusal)
            return refusal;
    }
    return std::nullopt;
}

std::optional<Refusal> migrationRefusal(const PendingOperation& note, const fs::path& root)
{
    const auto& migration = note.migration();
    const Checks check;
    if (auto refused = firstOf({check.plainName(note.oldFolder), check.plainName(note.newFolder)}))
        return refused;
    for (const auto& entry : migration.mergedEntries.value_or(std::vector<std::string>{})) {
        if (auto refused = check.plainName(entry))
            return refused;
    }
    return firstOf({check.realFolder(root / note.oldFolder), check.realFolder(root / note.newFolder),
                    check.childFolder(migration.keptOriginals, root, WorkFolders::originals),
                    check.archive(note.archive)});
}

std::optional<Refusal> restoreRefusal(const PendingOperation& note, const fs::path& root)
{
    const auto& restore = note.restore();
    const Checks check;
    if (auto refused = firstOf({check.plainName(note.oldFolder), check.plainName(note.newFolder)}))
        return refused;
    for (const auto* paths : {&restore.takenOut, &restore.displaced, &restore.broughtIn}) {
        for (const auto& path : *paths) {
            if (auto refused = check.relativePath(path))
                return refused;
        }
    }
    if (auto refused =
            firstOf({check.realFolder(root / note.oldFolder), check.realFolder(root / note.newFolder),
                     check.childFolder(restore.extracted, root, WorkFolders::restoring),
                     check.childFolder(restore.replaced, root, WorkFolders::replaced), check.archive(note.archive)}))
        return refused;
    for (const auto& placed : restore.placed) {
        if (auto refused = check.strictlyBelow(placed.path, root / note.oldFolder))
            return refused;
    }
    return std::nullopt;
}

std::optional<Refusal> moveRefusal(const PendingOperation& note, const fs::path& targetProjects)
{
    const auto& move = note.accountMove();
    const Checks check;
    if (auto refused = firstOf({check.plainName(note.oldFolder), check.plainName(note.newFolder),
                                check.childFolder(move.staging, targetProjects, WorkFolders::staging),
                                check.childFolder(move.targetFolder, targetProjects), check.archive(note.archive)}))
        return refused;
    for (const auto& placed : move.placed) {
        if (auto refused = check.strictlyBelow(placed.path, move.targetFolder))
            return refused;
    }
    return std::nullopt;
}

} // namespace

RecoveryBounds::Verdict RecoveryBounds::check(const PendingOperation& operation,
                                              const std::vector<ClaudeAccount>& accounts)
{
    const fs::path root = operation.projectsRoot;
    const ClaudeAccount* account =
        hasDotComponent(root) ? nullptr : accountWithProjects(root, operation.accountId, accounts);
    if (!account)
        return {.refusal = Refusal{root.string(), "which is no account's projects folder"}};
    Accounts changed{.accountId = account->id, .projectsRoot = root};
    if (!operation.isAccountMove()) {
        const auto refused =
            operation.isMigration() ? migrationRefusal(operation, root) : restoreRefusal(operation, root);
        if (refused)
            return {.refusal = refused};
        return {.accounts = changed};
    }
    const ClaudeAccount* target = accountWithId(accounts, operation.accountMove().targetAccountId);
    if (!target)
        return {.refusal = Refusal{operation.accountMove().targetAccountId, "which is no account Threadhop finds now"}};
    // A move never copies into its own account: taking such a "copy" out would take out the conversation.
    if (standardized(target->projectsDirURL()) == standardized(root))
        return {.refusal = Refusal{operation.accountMove().targetAccountId, "which is the account it moves from"}};
    changed.targetProjects = target->projectsDirURL();
    if (auto refused = moveRefusal(operation, changed.targetProjects))
        return {.refusal = refused};
    return {.accounts = changed};
}

} // namespace threadhop
