#include "support/MigrationTest.h"

namespace threadhop::testing {
namespace {

using Files = std::map<std::string, std::string>;

class ConversationMigratorTest : public MigrationTest { };

TEST_F(ConversationMigratorTest, RenameRewritesMovesAndRecords)
{
    transcript("-w-old", "s1.jsonl", cwdLine("/w/old") + cwdLine("/w/old/src", ",\"n\":1.50"));
    transcript("-w-old", "s2.jsonl", cwdLine("/elsewhere"));
    transcript("-w-old", "s1/subagents/a.jsonl", cwdLine("/w/old"));

    const auto record = ConversationMigrator::migrate(input(), stamp);
    EXPECT_FALSE(fs::exists(projects() / "-w-old"));
    EXPECT_EQ(snapshot(projects() / "-w-new"),
              (Files{{"s1.jsonl", cwdLine("/w/new") + cwdLine("/w/new/src", ",\"n\":1.50")},
                     {"s2.jsonl", cwdLine("/elsewhere")},
                     {"s1/subagents/a.jsonl", cwdLine("/w/new")}}));
    EXPECT_EQ(record,
              (MigrationRecord{.id = record.id,
                               .timestamp = record.timestamp,
                               .accountId = "claude",
                               .oldCwd = "/w/old",
                               .newCwd = "/w/new",
                               .oldFolder = "-w-old",
                               .newFolder = "-w-new",
                               .filesRewritten = 3,
                               .occurrencesReplaced = 3,
                               .backupPath = backupOf("-w-old"),
                               .success = true,
                               .message = "Migrated and renamed.",
                               .rewroteHistory = false,
                               .occurrencesByClass = {{{"sessionCwd", 3}, {"driftedCwd", 1}}}}));
    EXPECT_TRUE(fs::exists(backupOf("-w-old")));
    EXPECT_EQ(onlyRecord().id, record.id);
}

TEST_F(ConversationMigratorTest, MergeIntoAPopulatedDestination)
{
    oldProject(true);

    const auto preview = ConversationMigrator::preview(input());
    EXPECT_TRUE(preview.destinationPopulated);
    EXPECT_EQ(preview.incomingConversations, 2);
    EXPECT_EQ(preview.destinationConversations, 1);

    const auto record = ConversationMigrator::migrate(input(), stamp);
    EXPECT_EQ(record.message,
              "Moved 2 conversation(s) into a project that already had some. (1 other file(s) came with them.)");
    ASSERT_TRUE(record.movedEntryNames);
    auto moved = *record.movedEntryNames;
    std::sort(moved.begin(), moved.end());
    EXPECT_EQ(moved, (std::vector<std::string>{"a", "a.jsonl", "b.jsonl"}));
    EXPECT_FALSE(fs::exists(projects() / "-w-old"));
    EXPECT_EQ(entries(projects() / "-w-new"), (std::vector<std::string>{"a", "a.jsonl", "b.jsonl", "theirs.jsonl"}));
    EXPECT_EQ(readFile(projects() / "-w-new" / "a" / "subagents" / "agent.jsonl"), cwdLine("/w/new"));
    EXPECT_TRUE(fs::exists(archive("-w-new-destination-" + std::string(stamp) + ".tar.gz")));
}

TEST_F(ConversationMigratorTest, AnEmptyDestinationCountsAsPopulated)
{
    fs::create_directories(projects() / "-w-new");
    transcript("-w-old", "notes.md", "no conversations here");
    EXPECT_EQ(ConversationMigrator::migrate(input(), stamp).message,
              "Moved 0 conversation(s) into a project that already had some. (1 other file(s) came with them.)");
}

TEST_F(ConversationMigratorTest, AMoveThatCannotPutBackNamesWhatStayedBehind)
{
    for (const char* name : {"a.jsonl", "b.jsonl", "c.jsonl"})
        transcript("-from", name, name);
    fs::create_directories(projects() / "-into");
    // The second move fails, and so does putting back the first.
    const auto failing = failingAt({2, 3}, std::errc::io_error);
    const auto text = thrown<MigrationError>(
        [&] { ConversationMigrator::moveEntries(projects() / "-from", projects() / "-into", failing); });
    const auto stuck = entries(projects() / "-into");
    ASSERT_EQ(stuck.size(), 1u);
    EXPECT_EQ(text,
              "Rename failed: " + std::make_error_code(std::errc::io_error).message()
                  + " — and 1 file(s) could not be put back: " + stuck[0]
                  + ". Both folders were archived before this started.");
}

TEST_F(ConversationMigratorTest, AMoveNeverReplacesWhatIsAlreadyThere)
{
    transcript("-a", "s.jsonl", "mine");
    transcript("-b", "s.jsonl", "theirs");
    EXPECT_THROW(AtomicFile::moveWithoutReplacing(projects() / "-a" / "s.jsonl", projects() / "-b" / "s.jsonl"),
                 fs::filesystem_error);
    EXPECT_THROW(AtomicFile::moveWithoutReplacing(projects() / "-a", projects() / "-b"), fs::filesystem_error);
    EXPECT_EQ(readFile(projects() / "-a" / "s.jsonl"), "mine");
    EXPECT_EQ(readFile(projects() / "-b" / "s.jsonl"), "theirs");
}

TEST_F(ConversationMigratorTest, DryRunChangesNothing)
{
    transcript("-w-old", "s.jsonl",
               cwdLine("/w/old")
                   + "{\"cwd\":\"/w/old\",\"t\":\"cd "
                     "/w/old\"}\n{\"snapshot\":{\"trackedFileBackups\":{\"f\":\"/w/old/x\"}}}\n");
    const auto before = snapshot(projects());
    const auto record = ConversationMigrator::dryRun(input());
    EXPECT_TRUE(record.dryRun);
    EXPECT_TRUE(record.success);
    EXPECT_FALSE(record.backupPath);
    EXPECT_EQ(record.message, "Dry run: 1 files, 2 occurrences.");
    EXPECT_EQ(record.occurrencesByClass,
              (std::map<std::string, std::int64_t>{{"sessionCwd", 2}, {"history", 1}, {"externalState", 1}}));
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_FALSE(fs::exists(MigrationAudit::historyFile()));
    EXPECT_FALSE(fs::exists(backupOf("-w-old")));
}

TEST_F(ConversationMigratorTest, APopulatedDestinationIsRefusedWhenNotAllowed)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    transcript("-w-new", "t.jsonl", "");
    auto strict = input();
    strict.allowPopulatedDestination = false;
    EXPECT_TRUE(ConversationMigrator::preview(strict).destinationPopulated);
    EXPECT_EQ(thrown<MigrationError>([&] { ConversationMigrator::migrate(strict, stamp); }),
              "Destination folder already exists: " + (projects() / "-w-new").string());
    EXPECT_FALSE(fs::exists(backupOf("-w-old")));
}

} // namespace
} // namespace threadhop::testing
