#pragma once

#include <filesystem>
#include <string_view>

namespace threadhop::BackupArchiver {

/// Archives `folder` with /usr/bin/tar into <backups folder>/<folder name>-<stamp>.tar.gz, every
/// member path beginning with the folder's name, and returns the archive's path (an archive of
/// that name is replaced). Blocks until tar exits. Throws MigrationError::backupFailed with tar's
/// own message (its last lines; how tar ended when it said nothing or was killed) when it fails,
/// std::system_error when it cannot be started. The archive is flushed to the disk before it returns.
std::filesystem::path backup(const std::filesystem::path& folder, std::string_view stamp);

/// Extracts `archive` into the folder `into` with /usr/bin/tar, replacing files of the same
/// names. Blocks until tar exits. Throws MigrationError::backupFailed("Extraction failed: " + tar's
/// message) when it fails, std::system_error when it cannot be started.
void extract(const std::filesystem::path& archive, const std::filesystem::path& into);

/// Test seam: while alive, archives and extractions run `program` instead of /usr/bin/tar.
class ScopedTarProgram final {
public:
    explicit ScopedTarProgram(std::filesystem::path program);
    ~ScopedTarProgram();
    ScopedTarProgram(const ScopedTarProgram&) = delete;
    ScopedTarProgram& operator=(const ScopedTarProgram&) = delete;
};

} // namespace threadhop::BackupArchiver
