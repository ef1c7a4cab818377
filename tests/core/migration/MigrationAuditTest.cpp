#include "core/migration/MigrationAudit.h"

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

TEST_F(MigrationAuditTest, NewestFirstWithRequiredKeysOnlyAndNoBytesThatAreNotUtf8)
{
    const auto first = record("A");
    MigrationAudit::append(first);
    const auto text = readFile(MigrationAudit::historyFile());
    EXPECT_TRUE(text.starts_with("[\n  {\n    \"accountId\": \"A\",\n"));
    EXPECT_NE(text.find("\"timestamp\": \"2024-05-01T09:30:00Z\""), std::string::npos);
    EXPECT_EQ(text.find("message"), std::string::npos);

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

TEST_F(MigrationAuditTest, AnUndecodableHistoryIsKeptAsideUnderANameOfItsOwn)
{
    // A record dated beyond the clock is never rewritten as another date.
    const std::string farFuture =
        "[{\"accountId\": \"A\", \"dryRun\": false, \"filesRewritten\": 0, "
        "\"id\": \"0B9D7C1E-2F4A-4C3B-9D8E-7F6A5B4C3D2E\", \"newCwd\": \"/b\", \"newFolder\": \"-b\", "
        "\"occurrencesReplaced\": 0, \"oldCwd\": \"/a\", \"oldFolder\": \"-a\", \"success\": true, "
        "\"timestamp\": \"2263-01-01T00:00:00Z\"}]";
    const std::vector<std::string> broken{farFuture, "[{\"id\": \"broken\"}]", "not json"}; // in sorted order
    for (const auto& text : broken) {
        writeFile(MigrationAudit::historyFile(), text);
        EXPECT_TRUE(MigrationAudit::records().empty());
        const auto fresh = record("new");
        MigrationAudit::append(fresh);
        EXPECT_EQ(MigrationAudit::records(), std::vector{fresh});
    }
    std::vector<std::string> aside;
    for (const auto& entry : std::filesystem::directory_iterator(AppPaths::supportDir())) {
        if (entry.path().filename().string().starts_with("audit.json.unreadable-"))
            aside.push_back(readFile(entry.path()));
    }
    std::sort(aside.begin(), aside.end());
    EXPECT_EQ(aside, broken);
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
