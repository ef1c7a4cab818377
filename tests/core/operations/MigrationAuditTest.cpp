#include "core/operations/MigrationAudit.h"

#include "core/util/format/JSONWriter.h"
#include "core/util/fs/AppPaths.h"
#include "support/TempHome.h"

#include <thread>

namespace threadhop::testing {
namespace {

MigrationRecord record(std::string accountId)
{
    return MigrationRecord{.id = Uuid::random(),
                           .timestamp = std::chrono::system_clock::from_time_t(1'714'555'800),
                           .accountId = std::move(accountId),
                           .oldCwd = "/a",
                           .newCwd = "/b",
                           .oldFolder = "-a",
                           .newFolder = "-b",
                           .success = true};
}

class MigrationAuditTest : public HomeTest { };

// How a record is written is MigrationRecordTest's; here, the file that holds them.
TEST_F(MigrationAuditTest, NewestFirstInAPrettyArrayWithNoBytesThatAreNotUtf8)
{
    const auto first = record("A");
    MigrationAudit::append(first);
    EXPECT_TRUE(readFile(MigrationAudit::historyFile()).starts_with("[\n  {\n    \"accountId\": \"A\",\n"));

    auto odd = record("B");
    odd.message = "named caf\xE9 and \xF0\x9F";
    MigrationAudit::append(odd);
    odd.message = "named caf\uFFFD and \uFFFD";
    EXPECT_EQ(MigrationAudit::records(), (std::vector{odd, first}));
}

TEST_F(MigrationAuditTest, ConcurrentAppendsKeepEveryRecord)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 10; ++i)
                MigrationAudit::append(record(std::to_string(t) + "-" + std::to_string(i)));
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(MigrationAudit::records().size(), 80u);
}

TEST_F(MigrationAuditTest, ADamagedRecordCostsNoOtherItsRecordAndIsWrittenBackInItsPlace)
{
    const auto older = record("older");
    const auto newer = record("newer");
    MigrationAudit::append(older);
    MigrationAudit::append(newer);
    // A date beyond the clock, an id in braces, and a value of another kind, among good records;
    // their texts hold what ends an element or a string elsewhere.
    const std::vector<std::string> damaged{
        replaced(JSONWriter::pretty(MigrationRecordCoding::encode(record("far"))), "2024-05-01T09:30:00Z",
                 "2263-01-01T00:00:00Z"),
        "{\"id\": \"{0B9D7C1E-2F4A-4C3B-9D8E-7F6A5B4C3D2E}\", \"note\": \"a ], \\\" } [\", \"n\": 1e400}",
        "[1, {\"x\": []}]",
    };
    std::string text = readFile(MigrationAudit::historyFile());
    const auto between = text.find("},\n  {") + 3;
    text.insert(between, "  " + damaged[0] + ",\n  " + damaged[1] + ",\n");
    text.insert(text.rfind(']'), ", " + damaged[2] + "\n");
    writeFile(MigrationAudit::historyFile(), text);
    EXPECT_EQ(MigrationAudit::records(), (std::vector{newer, older}));

    const auto latest = record("latest");
    MigrationAudit::append(latest);
    const std::vector<HistoryEntry> kept{latest,
                                         newer,
                                         UndecodableRecord{damaged[0]},
                                         UndecodableRecord{damaged[1]},
                                         older,
                                         UndecodableRecord{damaged[2]}};
    EXPECT_EQ(MigrationRecordCoding::decodeList(readFile(MigrationAudit::historyFile())), kept);
    EXPECT_TRUE(MigrationAudit::setAsideHistories().empty());
}

TEST_F(MigrationAuditTest, AHistoryThatIsNoJsonArrayIsKeptAsideUnderANameOfItsOwn)
{
    const std::vector<std::string> broken{"not json", "{\"id\": \"an object\"}", "[{\"a\": 1},"};
    for (const auto& text : broken) {
        writeFile(MigrationAudit::historyFile(), text);
        EXPECT_TRUE(MigrationAudit::records().empty());
        const auto fresh = record("new");
        MigrationAudit::append(fresh);
        EXPECT_EQ(MigrationAudit::records(), std::vector{fresh});
    }
    std::vector<std::string> aside;
    for (const auto& file : MigrationAudit::setAsideHistories()) {
        EXPECT_TRUE(file.filename().string().starts_with("audit.json.unreadable-")) << file;
        aside.push_back(readFile(file));
    }
    EXPECT_EQ(aside, broken) << "kept in the order they were set aside";
}

TEST_F(MigrationAuditTest, AHistoryThatCannotBeWrittenIsDroppedQuietly)
{
    const auto support = home() / ".local" / "share" / "Threadhop";
    writeFile(support, "a file where the support folder should be");
    EXPECT_NO_THROW(MigrationAudit::append(record("x")));
    EXPECT_TRUE(MigrationAudit::records().empty());
    EXPECT_EQ(readFile(support), "a file where the support folder should be");
}

} // namespace
} // namespace threadhop::testing
