#pragma once

#include "CwdClass.h"
#include "core/util/format/Uuid.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
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

/// Counts by class as a record's `occurrencesByClass` keeps them: each class under its string value.
std::map<std::string, std::int64_t> occurrencesByClassName(const std::map<CwdClass, std::int64_t>& byClass);

/// A record's JSON text could not be decoded: a required key is missing or a value has the wrong type.
class RecordDecodingError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One element of the history file: the text it was read from, which writing the history again keeps
/// as it is (so a newer version's members survive), and the record it holds; the record is absent
/// when the element does not decode as one (a hand edit, a record of another version, a nesting too
/// deep to parse).
struct HistoryEntry {
    std::string json;
    std::optional<MigrationRecord> record;

    bool operator==(const HistoryEntry&) const = default;
};

namespace MigrationRecordCoding {

/// The JSON object of one record: keys equal to the field names, absent optional fields omitted,
/// UUIDs in upper case, the date as an ISO 8601 UTC date-time.
JSONValue encode(const MigrationRecord& record);

/// One record from the text of a JSON object. Unknown keys are ignored; a null counts as absent.
/// Throws RecordDecodingError.
MigrationRecord decode(std::string_view json);

/// Every element of a JSON array of records, in order, each decoded on its own: one that does not
/// decode costs no other its record. A byte-order mark before the array is skipped, and bytes that
/// are not UTF-8 become U+FFFD in the element that holds them, so that the text written back is
/// JSON. Throws RecordDecodingError when the text is no JSON array: its brackets do not make one,
/// or an element is not JSON even so.
std::vector<HistoryEntry> decodeList(std::string_view json);

/// The JSON array of `record`, encoded, followed by the entries, each as the text it was read from.
JSONValue encodeList(const MigrationRecord& record, const std::vector<HistoryEntry>& entries);

} // namespace MigrationRecordCoding
} // namespace threadhop
