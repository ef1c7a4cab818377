#pragma once

#include <filesystem>
#include <string_view>

// Threadhop's own folders. Every access recomputes them, retries their creation and moves a
// legacy folder into place first, so a folder removed while the program runs comes back.
namespace threadhop::AppPaths {

inline constexpr std::string_view supportFolderName = "Threadhop";
inline constexpr std::string_view legacyFolderName = "ClaudeThreadhop";
inline constexpr std::string_view backupsFolderName = "backups";

/// <application support>/Threadhop, created when missing (creation errors are ignored; writes
/// into a folder that could not be made fail later, at their callers).
std::filesystem::path supportDir();

/// supportDir()/backups, created when missing (errors ignored).
std::filesystem::path backupsDir();

/// Renames <base>/ClaudeThreadhop to <base>/Threadhop when the latter does not exist and the
/// former is a directory. True when it moved; a failed move changes nothing.
bool migrateLegacyFolder(const std::filesystem::path& base);

} // namespace threadhop::AppPaths
