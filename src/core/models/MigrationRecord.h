#pragma once

#include "core/util/format/Uuid.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace threadhop {

class JSONValue;

/// The outcome of a migration, dry run, restore or account move, and one entry of the history file.
struct MigrationRecord {
    Uuid id;
    std::chrono::system_clock::time_point timestamp;
    std::string accountId;
    std::string oldCwd;
    std::string newCwd;
    std::string oldFolder;
    std::string newFolder;
    std::int64_t filesRewritten = 0;
    std::int64_t occurrencesReplaced = 0;
    std::optional<std::string> backupPath;
    bool dryRun = false;
    bool success = false;
    std::optional<std::string> message;
    std::optional<bool> rewroteHistory;
    std::optional<std::map<std::string, std::int64_t>> occurrencesByClass; ///< keyed by CwdClass string values
    std::optional<std::vector<std::string>> movedEntryNames;
    std::optional<Uuid> revertsRecordId;
    std::optional<std::string> targetAccountId;
    std::optional<std::string> moveMode;
    std::optional<std::string> newSessionId;
    /// A failed migration's files, relative to oldFolder, that its rollback could not give back their
    /// bytes: they still hold the rewritten text.
    std::optional<std::vector<std::string>> unrestoredFiles;

    bool operator==(const MigrationRecord&) const = default;
};

/// A record's JSON text could not be decoded: a required key is missing or a value has the wrong type.
class RecordDecodingError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// An element of the history file that does not decode as a record (a hand edit, a record of another
/// version), kept as its JSON text so that writing the history again keeps it in its place.
struct UndecodableRecord {
    std::string json;

    bool operator==(const UndecodableRecord&) const = default;
};

/// One element of the history file.
using HistoryEntry = std::variant<MigrationRecord, UndecodableRecord>;

namespace MigrationRecordCoding {

/// The JSON object of one record: keys equal to the field names, absent optional fields omitted,
/// UUIDs in upper case, the date as an ISO 8601 UTC date-time.
JSONValue encode(const MigrationRecord& record);

/// One record from the text of a JSON object. Unknown keys are ignored; a null counts as absent.
/// Throws RecordDecodingError.
MigrationRecord decode(std::string_view json);

/// Every element of a JSON array of records, in order, each decoded on its own: one that does not
/// decode is kept as its text and costs no other its record. Throws RecordDecodingError when the
/// text is not a JSON array.
std::vector<HistoryEntry> decodeList(std::string_view json);

/// The JSON array of the entries: records encoded, undecodable elements as their own text.
JSONValue encodeList(const std::vector<HistoryEntry>& entries);

} // namespace MigrationRecordCoding
} // namespace threadhop
