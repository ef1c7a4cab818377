#include "core/operations/MigrationAudit.h"

#include "core/util/format/JSONParser.h"
#include "core/util/format/JSONWriter.h"
#include "core/util/fs/AppPaths.h"
#include "support/TempHome.h"
#include "support/UnprivilegedUser.h"

#include <algorithm>

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

TEST_F(MigrationAuditTest, ABadElementCostsOnlyItselfAndEveryElementIsWrittenBackAsItsOwnText)
{
    const auto older = record("older");
    const auto newer = record("newer");
    MigrationAudit::append(older);
    MigrationAudit::append(newer);
    const auto text = [](const MigrationRecord& r) { return JSONWriter::pretty(MigrationRecordCoding::encode(r)); };
    const auto future = record("future");
    auto notUtf8 = record("odd");
    // A date beyond the clock, an id in braces, a value of another kind, a nesting deeper than the
    // parser goes, and bytes that are not UTF-8 in an element and in a record, among good records
    // and one of a newer version; their texts hold what ends an element or a string elsewhere.
    const std::vector<std::string> inserted{
        replaced(text(record("far")), "2024-05-01T09:30:00Z", "2263-01-01T00:00:00Z"),
        "{\"id\": \"{0B9D7C1E-2F4A-4C3B-9D8E-7F6A5B4C3D2E}\", \"note\": \"a ], \\\" } [\", \"n\": 1e400}",
        "{\"deep\": " + std::string(1100, '[') + "\"]\"" + std::string(1100, ']') + "}",
        "{\"note\": \"caf\xE9 and \xF0\x9F\"}",
        replaced(text(notUtf8), "\"odd\"", "\"odd\xFF\""),
        replaced(text(future), "\"accountId\"", "\"addedLater\": {\"by\": [\"a newer version\"]},\n  \"accountId\""),
        "[1, {\"x\": []}]",
    };
    std::string history = readFile(MigrationAudit::historyFile());
    const auto between = history.find("},\n  {") + 3;
    for (auto element = inserted.rbegin() + 1; element != inserted.rend(); ++element)
        history.insert(between, "  " + *element + ",\n");
    history.insert(history.rfind(']'), ", " + inserted.back() + "\n");
    writeFile(MigrationAudit::historyFile(), "\xEF\xBB\xBF" + history);
    notUtf8.accountId = "odd\uFFFD";
    EXPECT_EQ(MigrationAudit::read(),
              (MigrationAudit::History{.records{newer, notUtf8, future, older}, .undecodable = 5}));

    const auto before = MigrationRecordCoding::decodeList(readFile(MigrationAudit::historyFile()));
    ASSERT_EQ(before.size(), 9u);
    std::vector<std::string> texts;
    for (const std::size_t i : {1, 2, 3, 4, 5, 6, 8})
        texts.push_back(before[i].json);
    auto expected = inserted;
    expected[3] = "{\"note\": \"caf\uFFFD and \uFFFD\"}";
    expected[4] = replaced(inserted[4], "\xFF", "\uFFFD");
    EXPECT_EQ(texts, expected) << "each element as it stands, bytes that are not UTF-8 as U+FFFD";

    const auto latest = record("latest");
    MigrationAudit::append(latest);
    const std::string after = readFile(MigrationAudit::historyFile());
    EXPECT_TRUE(after.starts_with("[\n  {\n    \"accountId\": \"latest\",\n"));
    EXPECT_TRUE(JSONParser::isJson(after));
    const auto written = MigrationRecordCoding::decodeList(after);
    ASSERT_EQ(written.size(), before.size() + 1);
    EXPECT_EQ(written.front().record, latest);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), written.begin() + 1)) << after;
    EXPECT_TRUE(MigrationAudit::setAsideHistories().empty());
}

TEST_F(MigrationAuditTest, AHistoryThatIsNoJsonArrayIsKeptAsideUnderANameOfItsOwn)
{
    // Brackets that make no array, and an array with an element that is no JSON at all.
    const std::vector<std::string> broken{"not json", "{\"id\": \"an object\"}", "[{\"a\": 1},",  "[{\"a\": 1},]",
                                          "[1] [2]",  "[{\"a\": [1}]",           "[{\"a\": tru}]"};
    for (const auto& text : broken) {
        writeFile(MigrationAudit::historyFile(), text);
        EXPECT_EQ(MigrationAudit::read(), MigrationAudit::History{.unreadable = "it is not a JSON array"}) << text;
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

TEST_F(MigrationAuditTest, AHistoryThatCannotBeOpenedSaysWhyAndIsKeptAsideAtTheNextAppend)
{
    MigrationAudit::append(record("first"));
    fs::permissions(MigrationAudit::historyFile(), fs::perms::none);
    const auto outcome = asUnprivilegedUser(home(), [] {
        const auto history = MigrationAudit::read();
        MigrationAudit::append(record("second"));
        return history.unreadable.value_or("read") + ", then " + MigrationAudit::records().front().accountId;
    });
    EXPECT_EQ(outcome, "Permission denied, then second");
    const auto kept = MigrationAudit::setAsideHistories();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(MigrationRecordCoding::decodeList(readFile(kept[0])).front().record->accountId, "first");
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
