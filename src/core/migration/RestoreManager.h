#pragma once

#include "MigrationError.h"
#include "core/models/MigrationRecord.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

// Undoes a folder migration from the archive of its source folder.
namespace threadhop::RestoreManager {

/// Why `record` cannot be undone, or nothing. `projectsRoot` is the account's projects folder;
/// `audit` the whole history. Only probes the file system, and not even that for a record whose
/// folder or entry names are not plain names (empty, ".", "..", a "/" or a NUL), nor for the
/// record of an account move: neither can be undone.
std::optional<MigrationError> obstacle(const MigrationRecord& record, const std::filesystem::path& projectsRoot,
                                       const std::vector<MigrationRecord>& audit);

/// Undoes the record's migration: archives the migrated folder, extracts the source archive into
/// `projectsRoot` with /usr/bin/tar, takes the migrated copy away, and returns the reverting
/// record, already in the history. Blocks while tar runs. Throws the obstacle, MigrationError for
/// a failed archive, extraction or removal, or std::system_error when tar cannot be started; no
/// reverting record is written then, so the record stays restorable.
MigrationRecord restore(const MigrationRecord& record, const std::filesystem::path& projectsRoot,
                        std::string_view stamp, const std::vector<MigrationRecord>& audit);

} // namespace threadhop::RestoreManager
