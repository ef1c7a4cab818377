#include "core/models/MigrationRecord.h"

#include "core/models/CwdClass.h"
#include "core/models/MoveMode.h"
#include "core/models/ResumeStatus.h"

#include "core/util/format/JSONValue.h"
#include "core/util/format/JSONWriter.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

using namespace std::chrono;

constexpr const char* requiredOnly = R"({
    "id": "0b9d7c1e-2f4a-4c3b-9d8e-7f6a5b4c3d2e",
    "timestamp": "2024-05-01T09:30:00Z",
    "accountId": "claude",
    "oldCwd": "/Users/ana/old",
    "newCwd": "/Users/ana/new",
    "oldFolder": "-Users-ana-old",
    "newFolder": "-Users-ana-new",
    "filesRewritten": 2,
    "occurrencesReplaced": 7,
    "dryRun": false,
    "success": true
})";

MigrationRecord fullRecord()
{
    return MigrationRecord{
        .id = *Uuid::parse("0B9D7C1E-2F4A-4C3B-9D8E-7F6A5B4C3D2E"),
        .timestamp = sys_days(year(2024) / May / 1) + hours(9) + minutes(30),
        .accountId = "claude",
        .oldCwd = "/Users/ana/old \"quoted\"",
        .newCwd = "/Users/ana/new",
        .oldFolder = "-Users-ana-old",
        .newFolder = "-Users-ana-new",
        .filesRewritten = 2,
        .occurrencesReplaced = 7,
        .backupPath = "/b/-Users-ana-old-20240501-093000.tar.gz",
        .dryRun = false,
        .success = true,
        .message = "Migrated and renamed.",
        .rewroteHistory = true,
        .occurrencesByClass = std::map<std::string, std::int64_t>{{"sessionCwd", 3}, {"history", 1}, {"future", 2}},
        .movedEntryNames = std::vector<std::string>{"a.jsonl", "a"},
        .revertsRecordId = *Uuid::parse("11111111-2222-4333-8444-555555555555"),
        .targetAccountId = "claude-work",
        .moveMode = "fork",
        .newSessionId = "6f1c2d3e-4a5b-4c6d-8e7f-8091a2b3c4d5",
        .unrestoredFiles = std::vector<std::string>{"a.jsonl", "a/subagents/agent.jsonl"},
    };
}

std::string encoded(const MigrationRecord& record)
{
    return JSONWriter::pretty(MigrationRecordCoding::encode(record));
}

// Unknown keys and nulls are ignored on reading; absent optionals are left out on writing.
TEST(MigrationRecordTest, RoundTripKeepsEveryFieldAndRequiredKeysSuffice)
{
    EXPECT_EQ(MigrationRecordCoding::decode(encoded(fullRecord())), fullRecord());

    std::string json = requiredOnly;
    json.insert(json.rfind('}'), R"(, "futureField": {"x": [1]}, "message": null)");
    const MigrationRecord record = MigrationRecordCoding::decode(json);
    EXPECT_FALSE(record.backupPath || record.message || record.rewroteHistory || record.occurrencesByClass
                 || record.movedEntryNames || record.revertsRecordId || record.targetAccountId || record.moveMode
                 || record.newSessionId || record.unrestoredFiles);
    EXPECT_EQ(record.filesRewritten, 2);
    const std::string text = encoded(record);
    EXPECT_EQ(text.find("null"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12); // eleven members between two braces
    EXPECT_NE(text.find("\"id\": \"0B9D7C1E-2F4A-4C3B-9D8E-7F6A5B4C3D2E\""), std::string::npos);
    EXPECT_NE(text.find("\"timestamp\": \"2024-05-01T09:30:00Z\""), std::string::npos);
}

// Where a date or an id is read, DateText and Uuid decide; here, that a record holding a bad one fails.
TEST(MigrationRecordTest, WrongTypesBadValuesAndMissingRequiredKeysFail)
{
    const auto with = [](std::string_view from, std::string_view to) { return replaced(requiredOnly, from, to); };
    for (const std::string& json : {
             with("\"dryRun\": false", "\"dryRun\": \"false\""),
             with("\"filesRewritten\": 2", "\"filesRewritten\": 2.5"),
             with("\"filesRewritten\": 2", "\"filesRewritten\": null"),
             with("\"accountId\": \"claude\",", ""),
             with("0b9d7c1e-2f4a", "not-a-uuid"),
             with("2024-05-01T09:30:00Z", "yesterday"),
             with("2024-05-01T09:30:00Z", "2263-01-01T00:00:00Z"),
             with("2024-05-01T09:30:00Z", "1600-01-01T00:00:00Z"),
             with("\"success\": true", "\"success\": true, \"movedEntryNames\": [1]"),
             with("\"success\": true", "\"success\": true, \"occurrencesByClass\": {\"history\": \"1\"}"),
             with("\"success\": true", "\"success\": true, \"revertsRecordId\": \"not-a-uuid\""),
             std::string("[]"),
             std::string("{not json"),
         })
        EXPECT_THROW(MigrationRecordCoding::decode(json), RecordDecodingError) << json;
}

// The record keeps classes and modes as text; read back, only a value spelled exactly names a case.
TEST(StringValuedTest, OnlyAValueSpelledExactlyBuildsItsCase)
{
    EXPECT_EQ(fromString<CwdClass>("history"), CwdClass::history);
    EXPECT_EQ(fromString<ResumeStatus>("ephemeralLocation"), ResumeStatus::ephemeralLocation);
    EXPECT_EQ(std::vector(allMoveModes.begin(), allMoveModes.end()), (std::vector{MoveMode::clone, MoveMode::fork}));
    for (const MoveMode mode : allMoveModes)
        EXPECT_EQ(fromString<MoveMode>(toString(mode)), mode);

    for (const std::string_view near : {"session", "History", "history ", "", "Fork", "okay"}) {
        EXPECT_EQ(fromString<CwdClass>(near), std::nullopt) << near;
        EXPECT_EQ(fromString<MoveMode>(near), std::nullopt) << near;
        EXPECT_EQ(fromString<ResumeStatus>(near), std::nullopt) << near;
    }
    EXPECT_EQ(fromString<MoveMode>(std::string_view("fork\0", 5)), std::nullopt);
}

} // namespace
} // namespace threadhop::testing
