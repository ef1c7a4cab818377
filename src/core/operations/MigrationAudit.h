#pragma once

#include "core/models/MigrationRecord.h"

#include <filesystem>
#include <vector>

// The history file audit.json in the support folder: every migration carried out, restore and
// account move, newest first.
namespace threadhop::MigrationAudit {

/// <support folder>/audit.json.
std::filesystem::path historyFile();

/// Adds the record at the front of the history. Never fails and reports nothing: the operation
/// it records has already happened. Appends are serialised within and across processes. An
/// element that does not decode as a record is written back as it was, in its place. A history
/// that exists but cannot be read, or is no JSON array, is never overwritten: it is kept beside
/// as "audit.json.unreadable-<stamp>" and a new history starts with the record.
void append(const MigrationRecord& record);

/// Removes what an append that was killed half-way left beside the history (its temporary file).
void removeTemporaries();

/// The records of the history, newest first, without the elements that do not decode as records;
/// empty when the file is missing, unreadable or no JSON array.
std::vector<MigrationRecord> records();

/// The histories kept beside because they could not be read, in name order (the oldest first).
std::vector<std::filesystem::path> setAsideHistories();

} // namespace threadhop::MigrationAudit
