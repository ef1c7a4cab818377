#include "RestoreMoves.h"

#include "core/operations/OperationSteps.h"
#include "core/util/fs/DiskFlush.h"
#include "core/util/fs/FileMetadata.h"

#include <algorithm>

#include <sys/stat.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

void moveInto(const fs::path& from, const fs::path& to, const ConversationMigrator::EntryMove& move)
{
    DiskFlush::createFolders(to.parent_path());
    move(from, to);
}

// The file as it stands, link or not, with its size and date; links are not followed.
std::optional<PlacedFile> standing(const fs::path& path)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return std::nullopt;
    return PlacedFile{path, static_cast<std::int64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

// Why the archive's copy now at `path` is not exactly as the undo placed it (a conversation resumed
// there since, a file added), or nothing.
std::optional<std::string> changedSincePlaced(const fs::path& path, const std::vector<PlacedFile>& placed)
{
    std::vector<PlacedFile> now;
    RestoreMoves::collectPlaced(path, path, now);
    for (const auto& file : now) {
        if (std::find(placed.begin(), placed.end(), file) != placed.end())
            continue;
        const bool known = std::any_of(placed.begin(), placed.end(),
                                       [&](const PlacedFile& earlier) { return earlier.path == file.path; });
        return file.path.string() + (known ? " changed since" : " appeared since");
    }
    return std::nullopt;
}

// The archive's copies that stand in oldFolder now, each with where it goes back to.
std::vector<std::pair<fs::path, fs::path>> placedCopies(const PendingOperation& note,
                                                        const RestoreMoves::Folders& folders)
{
    const auto& restore = note.restore();
    std::vector<std::pair<fs::path, fs::path>> copies;
    if (!restore.oldFolderExisted) {
        if (FileMetadata::itemExists(folders.oldFolder) && !FileMetadata::itemExists(folders.archived))
            copies.emplace_back(folders.oldFolder, folders.archived);
        return copies;
    }
    for (const auto& path : restore.broughtIn) {
        if (FileMetadata::itemExists(folders.oldFolder / path) && !FileMetadata::itemExists(folders.archived / path))
            copies.emplace_back(folders.oldFolder / path, folders.archived / path);
    }
    return copies;
}

} // namespace

RestoreMoves::Folders::Folders(const PendingOperation& note)
    : oldFolder(note.projectsRoot / note.oldFolder),
      newFolder(note.projectsRoot / note.newFolder),
      archived(note.restore().extracted / note.oldFolder),
      keptNew(note.restore().replaced / "new"),
      keptOld(note.restore().replaced / "old")
{
}

void RestoreMoves::apply(const PendingOperation& note, const ConversationMigrator::EntryMove& move)
{
    const Folders folders(note);
    const auto& restore = note.restore();
    for (const auto& name : restore.takenOut)
        moveInto(folders.newFolder / name, folders.keptNew / name, move);
    for (const auto& path : restore.displaced)
        moveInto(folders.oldFolder / path, folders.keptOld / path, move);
    OperationSteps::reached(OperationStep::setAside);
    if (!restore.oldFolderExisted) {
        move(folders.archived, folders.oldFolder);
    } else {
        for (const auto& path : restore.broughtIn)
            moveInto(folders.archived / path, folders.oldFolder / path, move);
    }
    // What another operation brought into newFolder stays, and the folder with it.
    std::error_code ignored;
    if (folders.newFolder != folders.oldFolder && fs::is_empty(folders.newFolder, ignored)) {
        fs::remove(folders.newFolder, ignored);
        DiskFlush::folder(note.projectsRoot);
    }
    OperationSteps::reached(OperationStep::restored);
}

std::optional<std::string> RestoreMoves::takeBack(const PendingOperation& note,
                                                  const ConversationMigrator::EntryMove& move)
{
    const Folders folders(note);
    const auto& restore = note.restore();
    const auto copies = placedCopies(note, folders);
    for (const auto& [copy, home] : copies) {
        if (auto problem = changedSincePlaced(copy, restore.placed))
            return problem;
    }
    try {
        for (const auto& [copy, home] : copies)
            moveInto(copy, home, move);
        for (const auto& path : restore.displaced) {
            if (FileMetadata::itemExists(folders.keptOld / path))
                moveInto(folders.keptOld / path, folders.oldFolder / path, move);
        }
        for (const auto& name : restore.takenOut) {
            if (FileMetadata::itemExists(folders.keptNew / name))
                moveInto(folders.keptNew / name, folders.newFolder / name, move);
        }
    } catch (const fs::filesystem_error& error) {
        return error.path1().string() + " could not be moved back (" + error.code().message() + ")";
    }
    return std::nullopt;
}

void RestoreMoves::collectPlaced(const fs::path& path, const fs::path& placedAs, std::vector<PlacedFile>& into)
{
    if (auto file = standing(path)) {
        file->path = placedAs;
        into.push_back(std::move(*file));
        return;
    }
    std::error_code error;
    for (fs::recursive_directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        if (auto file = standing(it->path())) {
            file->path = placedAs / it->path().lexically_relative(path);
            into.push_back(std::move(*file));
        }
    }
}

void RestoreMoves::discard(const PendingOperation& note)
{
    std::error_code ignored;
    fs::remove_all(note.restore().extracted, ignored);
    fs::remove_all(note.restore().replaced, ignored);
}

} // namespace threadhop
