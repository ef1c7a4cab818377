#pragma once

#include <filesystem>
#include <string_view>

// Threadhop's own folders. Every access recomputes them, retries their creation and moves a
// legacy folder into place first, so a folder removed while the program runs comes back.
namespace threadhop::AppPaths {

inline constexpr std::string_view supportFolderName = "Threadhop";
inline constexpr std::string_view legacyFolderName = "ClaudeThreadhop";
inline constexpr std::string_view backupsFolderName = "backups";

/// <application support>/Threadhop, created when missing (creation errors are ignored, for those
/// who only read; who writes there asks subfolder() for its folder).
std::filesystem::path supportDir();

/// supportDir()/backups, created when missing (errors ignored).
std::filesystem::path backupsDir();

/// supportDir()/`name`, created with the folders above it when missing. Throws
/// std::filesystem::filesystem_error with the reason when it cannot be made, its path the first
/// folder that could not be (so that UserError::describe names the folder that refused), or the
/// item in the way.
std::filesystem::path subfolder(std::string_view name);

/// Renames <base>/ClaudeThreadhop to <base>/Threadhop when the latter does not exist and the
/// former is a directory. True when it moved; a failed move changes nothing.
bool migrateLegacyFolder(const std::filesystem::path& base);

} // namespace threadhop::AppPaths
