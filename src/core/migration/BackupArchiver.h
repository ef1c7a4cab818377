#pragma once

#include <filesystem>
#include <string_view>

namespace threadhop::BackupArchiver {

/// Archives `folder` with /usr/bin/tar into <backups folder>/<folder name>-<stamp>.tar.gz, every
/// member path beginning with the folder's name, and returns the archive's path (an archive of
/// that name is replaced). Blocks until tar exits. Throws MigrationError::backupFailed with tar's
/// own message when it fails, std::system_error when it cannot be started.
std::filesystem::path backup(const std::filesystem::path& folder, std::string_view stamp);

} // namespace threadhop::BackupArchiver
