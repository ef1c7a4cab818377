#include "AppPaths.h"

#include "FileMetadata.h"
#include "HomeFolder.h"

#include <cstdlib>

namespace threadhop {
namespace {

// The user's application-support folder: ~/Library/Application Support on macOS; on Linux
// $XDG_DATA_HOME when it is absolute, else ~/.local/share.
std::filesystem::path applicationSupportBase()
{
#ifdef __APPLE__
    return HomeFolder::path() / "Library" / "Application Support";
#else
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome && dataHome[0] == '/')
        return dataHome;
    return HomeFolder::path() / ".local" / "share";
#endif
}

void createFolder(const std::filesystem::path& folder)
{
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
}

} // namespace

bool AppPaths::migrateLegacyFolder(const std::filesystem::path& base)
{
    std::error_code error;
    const auto current = base / supportFolderName;
    if (FileMetadata::itemExists(current))
        return false;
    const auto legacy = base / legacyFolderName;
    if (!std::filesystem::is_directory(legacy, error))
        return false;
    std::filesystem::rename(legacy, current, error);
    return !error;
}

std::filesystem::path AppPaths::supportDir()
{
    const auto base = applicationSupportBase();
    createFolder(base);
    migrateLegacyFolder(base);
    const auto folder = base / supportFolderName;
    createFolder(folder);
    return folder;
}

std::filesystem::path AppPaths::backupsDir()
{
    const auto folder = supportDir() / backupsFolderName;
    createFolder(folder);
    return folder;
}

std::filesystem::path AppPaths::subfolder(std::string_view name)
{
    const auto folder = supportDir() / name;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error)
        return folder;
    // The error names the folder asked for; the first one missing on the way is where it failed.
    auto failed = folder;
    while (failed.has_relative_path() && !FileMetadata::itemExists(failed.parent_path()))
        failed = failed.parent_path();
    throw std::filesystem::filesystem_error("cannot create the folder", failed, error);
}

} // namespace threadhop
