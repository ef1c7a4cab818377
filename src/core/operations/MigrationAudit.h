#pragma once

#include "core/models/MigrationRecord.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The history file audit.json in the support folder: every migration carried out, restore and
// account move, newest first.
namespace threadhop::MigrationAudit {

/// <support folder>/audit.json.
std::filesystem::path historyFile();

/// Adds the record at the front of the history. Never fails and reports nothing: the operation
/// it records has already happened. Appends are serialised within and across processes. Every
/// element already in the file is written back as the text it was read from, in its place, whether
/// it decodes as a record or not, so members this version does not know stay (only bytes that are
/// not UTF-8 become U+FFFD, which keeps the file JSON). A history that exists but cannot be read,
/// or is no JSON array, is never overwritten: it is kept beside as "audit.json.unreadable-<stamp>"
/// and a new history starts with the record.
void append(const MigrationRecord& record);

/// Removes what an append that was killed half-way left beside the history (its temporary file).
void removeTemporaries();

/// What the history file holds for a reader.
struct History {
    std::vector<MigrationRecord> records; ///< newest first
    std::int64_t undecodable = 0;         ///< elements that do not decode as records
    /// Why a history file that exists cannot be read as one: the system's words, or "it is not a
    /// JSON array". Absent when it is read, or missing.
    std::optional<std::string> unreadable;

    bool operator==(const History&) const = default;
};

/// The history file as it is now; a missing file is an empty history.
History read();

/// The records of the history, newest first, without the elements that do not decode as records;
/// empty when the file is missing, unreadable or no JSON array.
std::vector<MigrationRecord> records();

/// The histories kept beside because they could not be read, in name order (the oldest first).
std::vector<std::filesystem::path> setAsideHistories();

} // namespace threadhop::MigrationAudit
