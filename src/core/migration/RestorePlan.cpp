#include "RestorePlan.h"

#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/FileMetadata.h"

#include <algorithm>
#include <set>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view conversationExtension = ".jsonl";

// The names directly in the folder, hidden ones included; a folder that cannot be listed holds none.
std::set<std::string> namesIn(const fs::path& folder)
{
    const auto names =
        DirectoryListing::names(folder, DirectoryListing::Hidden::include, DirectoryListing::Unlistable::empty);
    return {names.begin(), names.end()};
}

MigrationError missingEntries(std::size_t count)
{
    return MigrationError::notRestorable(std::to_string(count)
                                         + " of the conversations this move brought in are no longer in that "
                                           "project, so undoing it would not put things as they were.");
}

bool isConversation(const std::string& name)
{
    return name.size() > conversationExtension.size() && name.ends_with(conversationExtension);
}

// A conversation that was moved on by hand or by another tool: putting the archive's copy back
// would make it two.
bool standsInAnotherProject(const fs::path& projectsRoot, const std::string& newFolder, const std::string& name)
{
    const auto folders =
        DirectoryListing::entries(projectsRoot, DirectoryListing::Hidden::skip, DirectoryListing::Unlistable::empty);
    return std::any_of(folders.begin(), folders.end(), [&](const fs::directory_entry& folder) {
        std::error_code error;
        return folder.path().filename() != newFolder && folder.is_directory(error)
            && FileMetadata::itemExists(folder.path() / name);
    });
}

void addOnce(std::vector<std::string>& names, const std::string& name)
{
    if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
}

} // namespace

MigrationError RestorePlan::movedAgain()
{
    return MigrationError::notRestorable("The conversations have moved again since this migration, so undoing it "
                                         "would bring back a copy instead of putting things as they were.");
}

RestorePlan::Brought RestorePlan::broughtBy(const MigrationRecord& record)
{
    if (const auto& moved = record.movedEntryNames; moved && !moved->empty()) {
        // A rename whose folder could not be moved back names that folder, not entries in it.
        return *moved == std::vector{record.newFolder} ? Brought::wholeFolder : Brought::entries;
    }
    if (!record.success && record.unrestoredFiles && !record.unrestoredFiles->empty())
        return Brought::files;
    return Brought::wholeFolder;
}

bool RestorePlan::FolderProbe::exists(const fs::path& path)
{
    const auto [known, added] = m_exists.try_emplace(path, false);
    if (added)
        known->second = FileMetadata::itemExists(path);
    return known->second;
}

const std::set<std::string>& RestorePlan::FolderProbe::names(const fs::path& folder)
{
    const auto [known, added] = m_names.try_emplace(folder);
    if (added)
        known->second = namesIn(folder);
    return known->second;
}

std::optional<MigrationError> RestorePlan::folderObstacle(const MigrationRecord& record, const fs::path& projectsRoot,
                                                          FolderProbe& probe)
{
    const Brought brought = broughtBy(record);
    const fs::path holder = projectsRoot / (brought == Brought::files ? record.oldFolder : record.newFolder);
    if (!probe.exists(holder))
        return movedAgain();
    if (brought != Brought::entries)
        return std::nullopt;
    const auto& present = probe.names(holder);
    const auto missing = std::count_if(record.movedEntryNames->begin(), record.movedEntryNames->end(),
                                       [&](const std::string& name) { return !present.contains(name); });
    if (missing == static_cast<std::ptrdiff_t>(record.movedEntryNames->size()))
        return movedAgain();
    if (missing > 0)
        return missingEntries(static_cast<std::size_t>(missing));
    return std::nullopt;
}

RestorePlan::Moves RestorePlan::movesFor(const MigrationRecord& record, const fs::path& projectsRoot,
                                         const fs::path& archived)
{
    FolderProbe probe;
    if (auto obstacle = folderObstacle(record, projectsRoot, probe))
        throw *obstacle;
    const fs::path oldFolder = projectsRoot / record.oldFolder;
    const fs::path newFolder = projectsRoot / record.newFolder;
    const auto archivedNames = namesIn(archived);
    const auto inNewFolder = namesIn(newFolder);
    Moves moves;
    switch (broughtBy(record)) {
    case Brought::wholeFolder: {
        std::size_t movedOn = 0;
        for (const auto& name : archivedNames) {
            if (inNewFolder.contains(name))
                moves.takenOut.push_back(name);
            else if (isConversation(name) && standsInAnotherProject(projectsRoot, record.newFolder, name))
                ++movedOn;
        }
        if (moves.takenOut.empty())
            throw movedAgain();
        if (movedOn > 0)
            throw missingEntries(movedOn);
        // A conversation's side folder goes with it, whether it was archived or made since.
        for (const auto& name : archivedNames) {
            const std::string side = name.substr(0, name.size() - conversationExtension.size());
            if (isConversation(name) && inNewFolder.contains(side))
                addOnce(moves.takenOut, side);
        }
        moves.broughtIn.assign(archivedNames.begin(), archivedNames.end());
        break;
    }
    case Brought::entries:
        for (const auto& name : *record.movedEntryNames) {
            if (inNewFolder.contains(name))
                addOnce(moves.takenOut, name);
        }
        moves.broughtIn.assign(archivedNames.begin(), archivedNames.end());
        break;
    case Brought::files:
        for (const auto& path : *record.unrestoredFiles) {
            if (FileMetadata::itemExists(archived / path))
                addOnce(moves.broughtIn, path);
        }
        break;
    }
    moves.oldFolderExisted = FileMetadata::itemExists(oldFolder);
    for (const auto& path : moves.broughtIn) {
        const bool takenOutAlready = oldFolder == newFolder
            && std::find(moves.takenOut.begin(), moves.takenOut.end(), path) != moves.takenOut.end();
        if (!takenOutAlready && FileMetadata::itemExists(oldFolder / path))
            moves.displaced.push_back(path);
    }
    return moves;
}

} // namespace threadhop
