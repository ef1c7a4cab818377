#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace threadhop::BackupArchiver {

/// Archives `folder` with /usr/bin/tar into <backups folder>/<folder name>-<stamp>.tar.gz, every
/// member path beginning with the folder's name, and returns the archive's path (an archive of
/// that name is replaced). Blocks until tar exits. Throws MigrationError::backupFailed with tar's
/// own message when it fails, std::system_error when it cannot be started.
std::filesystem::path backup(const std::filesystem::path& folder, std::string_view stamp);

/// Appends the option that makes tar take the names and folders after it literally (the archive
/// and the extraction both place it before "-C").
void addLiteralNamesOption(std::vector<std::string>& arguments);

} // namespace threadhop::BackupArchiver
