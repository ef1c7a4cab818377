// What a folder migration refuses before it changes anything, so that the preview can show it.
#include "ConversationMigrator.h"

#include "core/discovery/SessionLiveness.h"
#include "core/encoding/CwdCodec.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/text/UnicodeText.h"

#include <algorithm>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

fs::file_type typeOf(const fs::path& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type();
}

std::vector<std::string> sortedNames(const fs::path& folder)
{
    auto names =
        DirectoryListing::names(folder, DirectoryListing::Hidden::include, DirectoryListing::Unlistable::empty);
    std::sort(names.begin(), names.end());
    return names;
}

// tar would archive only the link while the rewrite edited the files behind it, and a restore
// would put back the link: only a real folder can be migrated.
std::optional<MigrationError> notARealFolder(const fs::path& folder, std::string_view role)
{
    switch (typeOf(folder)) {
    case fs::file_type::directory:
    case fs::file_type::not_found:
        return std::nullopt;
    case fs::file_type::symlink:
        return MigrationError::refused(std::string(role) + " " + folder.string()
                                       + " is a symbolic link; only a real folder can be migrated.");
    default:
        return MigrationError::refused(std::string(role) + " " + folder.string() + " is not a folder.");
    }
}

// The history records the folder's name and, after a merge, the names of its entries; it must
// stay JSON.
std::optional<MigrationError> nameNotUtf8(const fs::path& folder)
{
    std::vector<fs::path> items{folder};
    for (const auto& name : sortedNames(folder))
        items.push_back(folder / name);
    for (const auto& item : items) {
        const std::string name = item.filename().string();
        if (!UnicodeText::isValidUtf8(name))
            return MigrationError::refused("The name " + UnicodeText::withReplacementCharacters(name) + " in "
                                           + UnicodeText::withReplacementCharacters(item.parent_path().string())
                                           + " is not valid UTF-8 text, which the history file cannot hold. Rename it, "
                                             "then migrate.");
    }
    return std::nullopt;
}

// A running Claude Code process keeps appending to its transcript: lines it writes after the
// folder was replaced would be lost.
std::optional<MigrationError> openConversation(const ConversationMigrator::Input& input, const fs::path& folder)
{
    for (const auto& [id, session] : SessionLiveness::liveSessions(input.projectsRoot.parent_path())) {
        if (typeOf(folder / (id + ".jsonl")) != fs::file_type::not_found
            || typeOf(folder / id) == fs::file_type::directory)
            return MigrationError::refused(
                "The conversation " + id + " is still open in Claude Code (process " + std::to_string(session.pid)
                + "). Quit it there before migrating, or the lines it writes would be lost.");
    }
    return std::nullopt;
}

// Entries of the old folder that the destination already has: the merge would refuse them only
// after the transcripts were rewritten.
std::optional<MigrationError> clashingNames(const fs::path& oldFolder, const fs::path& destination)
{
    const auto incoming = sortedNames(oldFolder);
    const auto present = sortedNames(destination);
    std::vector<std::string> clashes;
    std::set_intersection(incoming.begin(), incoming.end(), present.begin(), present.end(),
                          std::back_inserter(clashes));
    if (clashes.empty())
        return std::nullopt;
    return MigrationError::nameClash(clashes);
}

} // namespace

std::optional<MigrationError> ConversationMigrator::refusal(const Input& input)
{
    if (input.oldCwd.empty() || input.newCwd.empty())
        return MigrationError::emptyPath();
    if (!UnicodeText::isValidUtf8(input.oldCwd) || !UnicodeText::isValidUtf8(input.newCwd))
        return MigrationError::refused(
            "The old or new directory is not valid UTF-8 text, which the transcripts and the "
            "history file cannot hold.");
    const auto oldFolder = input.projectsRoot / input.oldFolderName;
    if (typeOf(oldFolder) == fs::file_type::not_found)
        return MigrationError::oldFolderMissing(oldFolder.string());
    if (auto refused = notARealFolder(oldFolder, "The conversation folder"))
        return refused;
    if (auto refused = nameNotUtf8(oldFolder))
        return refused;
    if (auto refused = openConversation(input, oldFolder))
        return refused;
    const std::string newFolderName = CwdCodec::encode(input.newCwd);
    if (newFolderName == input.oldFolderName)
        return std::nullopt;
    const auto destination = input.projectsRoot / newFolderName;
    if (auto refused = notARealFolder(destination, "The destination"))
        return refused;
    if (typeOf(destination) == fs::file_type::directory)
        return clashingNames(oldFolder, destination);
    return std::nullopt;
}

} // namespace threadhop
