#include "support/MigrationTest.h"

#include "core/util/fs/AppPaths.h"

namespace threadhop {
namespace {

using testing::cwdLine;
using testing::readFile;
using testing::writeFile;

class ConversationMigratorTest : public testing::MigrationTest {
protected:
    const std::string stamp = "20240501-093000";

    bool archived(std::string_view name) const { return std::filesystem::exists(AppPaths::backupsDir() / name); }
};

TEST_F(ConversationMigratorTest, RenameRewritesMovesAndRecords)
{
    transcript("-w-old", "s1.jsonl", cwdLine("/w/old") + cwdLine("/w/old/src", ",\"n\":1.50"));
    transcript("-w-old", "s2.jsonl", cwdLine("/elsewhere"));
    transcript("-w-old", "s1/subagents/a.jsonl", cwdLine("/w/old"));

    const auto record = ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), stamp);
    EXPECT_FALSE(std::filesystem::exists(projects() / "-w-old"));
    EXPECT_EQ(snapshot(projects() / "-w-new"),
              (std::map<std::string, std::string>{{"s1.jsonl", cwdLine("/w/new") + cwdLine("/w/new/src", ",\"n\":1.50")},
                                                  {"s2.jsonl", cwdLine("/elsewhere")},
                                                  {"s1/subagents/a.jsonl", cwdLine("/w/new")}}));
    EXPECT_TRUE(record.success);
    EXPECT_FALSE(record.dryRun);
    EXPECT_EQ(record.message, "Migrated and renamed.");
    EXPECT_EQ(record.newFolder, "-w-new");
    EXPECT_EQ(record.filesRewritten, 3);
    EXPECT_EQ(record.occurrencesReplaced, 3);
    EXPECT_EQ(record.occurrencesByClass, (std::map<std::string, std::int64_t>{{"sessionCwd", 3}, {"driftedCwd", 1}}));
    EXPECT_EQ(record.rewroteHistory, false);
    EXPECT_FALSE(record.movedEntryNames);
    EXPECT_EQ(record.backupPath, (AppPaths::backupsDir() / ("-w-old-" + stamp + ".tar.gz")).string());
    EXPECT_TRUE(archived("-w-old-" + stamp + ".tar.gz"));
    const auto history = MigrationAudit::records();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].id, record.id);
}

TEST_F(ConversationMigratorTest, ResyncWithTheSameFolderName)
{
    transcript("-a-b-c", "s.jsonl", cwdLine("/a/b.c"));
    auto same = ConversationMigrator::migrate(input("-a-b-c", "/a/b.c", "/a/b.c"), stamp);
    EXPECT_EQ(same.message, "cwd resynced (no rename).");
    EXPECT_EQ(readFile(projects() / "-a-b-c" / "s.jsonl"), cwdLine("/a/b.c"));

    auto other = ConversationMigrator::migrate(input("-a-b-c", "/a/b.c", "/a/b_c"), stamp);
    EXPECT_EQ(other.message, "cwd resynced (no rename).");
    EXPECT_EQ(other.newFolder, "-a-b-c");
    EXPECT_EQ(readFile(projects() / "-a-b-c" / "s.jsonl"), cwdLine("/a/b_c"));
}

TEST_F(ConversationMigratorTest, MergeIntoAPopulatedDestination)
{
    transcript("-w-new", "existing.jsonl", cwdLine("/w/new"));
    for (const char* name : {"a.jsonl", "b.jsonl", "c.jsonl"})
        transcript("-w-old", name, cwdLine("/w/old"));
    transcript("-w-old", "a/subagents/agent.jsonl", cwdLine("/w/old"));

    const auto preview = ConversationMigrator::preview(input("-w-old", "/w/old", "/w/new"));
    EXPECT_TRUE(preview.destinationPopulated);
    EXPECT_EQ(preview.incomingConversations, 3);
    EXPECT_EQ(preview.destinationConversations, 1);

    const auto record = ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), stamp);
    EXPECT_EQ(record.message, "Moved 3 conversation(s) into a project that already had some. (1 other file(s) came with them.)");
    ASSERT_TRUE(record.movedEntryNames);
    auto moved = *record.movedEntryNames;
    std::sort(moved.begin(), moved.end());
    EXPECT_EQ(moved, (std::vector<std::string>{"a", "a.jsonl", "b.jsonl", "c.jsonl"}));
    EXPECT_FALSE(std::filesystem::exists(projects() / "-w-old"));
    EXPECT_EQ(entries(projects() / "-w-new"), (std::vector<std::string>{"a", "a.jsonl", "b.jsonl", "c.jsonl", "existing.jsonl"}));
    EXPECT_EQ(readFile(projects() / "-w-new" / "a" / "subagents" / "agent.jsonl"), cwdLine("/w/new"));
    EXPECT_TRUE(archived("-w-new-destination-" + stamp + ".tar.gz"));
}

TEST_F(ConversationMigratorTest, AnEmptyDestinationCountsAsPopulated)
{
    std::filesystem::create_directories(projects() / "-w-new");
    transcript("-w-old", "notes.md", "no conversations here");
    const auto record = ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), stamp);
    EXPECT_EQ(record.message, "Moved 0 conversation(s) into a project that already had some. (1 other file(s) came with them.)");
}

TEST_F(ConversationMigratorTest, NameClashMovesNothing)
{
    transcript("-w-new", "same.jsonl", "theirs");
    transcript("-w-old", "same.jsonl", cwdLine("/w/old"));
    transcript("-w-old", "mine.jsonl", cwdLine("/w/old"));
    try {
        ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), stamp);
        FAIL() << "expected a name clash";
    } catch (const MigrationError& error) {
        EXPECT_STREQ(error.what(), "The destination already holds a file with the same name: same.jsonl. Nothing was moved.");
    }
    EXPECT_EQ(entries(projects() / "-w-old"), (std::vector<std::string>{"mine.jsonl", "same.jsonl"}));
    EXPECT_EQ(entries(projects() / "-w-new"), std::vector<std::string>{"same.jsonl"});
    EXPECT_EQ(readFile(projects() / "-w-new" / "same.jsonl"), "theirs");
}

TEST_F(ConversationMigratorTest, AMoveThatFailsHalfWayPutsEverythingBack)
{
    transcript("-from", "a.jsonl", "a");
    transcript("-from", "b.jsonl", "b");
    transcript("-from", "c.jsonl", "c");
    std::filesystem::create_directories(projects() / "-into");
    int moves = 0;
    const auto failSecond = [&](const std::filesystem::path& from, const std::filesystem::path& to) {
        if (++moves == 2)
            throw std::filesystem::filesystem_error("move", from, to, std::make_error_code(std::errc::no_space_on_device));
        AtomicFile::moveWithoutReplacing(from, to);
    };
    try {
        ConversationMigrator::moveEntries(projects() / "-from", projects() / "-into", failSecond);
        FAIL() << "expected renameFailed";
    } catch (const MigrationError& error) {
        EXPECT_EQ(error.kind(), MigrationError::Kind::renameFailed);
        // A full disk names the folder being written to.
        EXPECT_EQ(error.text(), std::make_error_code(std::errc::no_space_on_device).message() + " in "
                                    + (projects() / "-from").string()
                                    + " — nothing was moved; every file is back where it started.");
    }
    EXPECT_EQ(entries(projects() / "-from"), (std::vector<std::string>{"a.jsonl", "b.jsonl", "c.jsonl"}));
    EXPECT_TRUE(entries(projects() / "-into").empty());

    // When putting back fails too, the text names what stayed behind.
    moves = 0;
    const auto failAfterFirst = [&](const std::filesystem::path& from, const std::filesystem::path& to) {
        if (++moves >= 2)
            throw std::filesystem::filesystem_error("move", from, to, std::make_error_code(std::errc::io_error));
        AtomicFile::moveWithoutReplacing(from, to);
    };
    try {
        ConversationMigrator::moveEntries(projects() / "-from", projects() / "-into", failAfterFirst);
        FAIL() << "expected renameFailed";
    } catch (const MigrationError& error) {
        const auto first = entries(projects() / "-into");
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(error.text(), std::make_error_code(std::errc::io_error).message() + " — and 1 file(s) could not be put back: "
                                    + first[0] + ". Both folders were archived before this started.");
    }
}

TEST_F(ConversationMigratorTest, AMoveNeverReplacesWhatIsAlreadyThere)
{
    transcript("-a", "s.jsonl", "mine");
    transcript("-b", "s.jsonl", "theirs");
    EXPECT_THROW(AtomicFile::moveWithoutReplacing(projects() / "-a" / "s.jsonl", projects() / "-b" / "s.jsonl"),
                 std::filesystem::filesystem_error);
    EXPECT_THROW(AtomicFile::moveWithoutReplacing(projects() / "-a", projects() / "-b"), std::filesystem::filesystem_error);
    EXPECT_EQ(readFile(projects() / "-a" / "s.jsonl"), "mine");
    EXPECT_EQ(readFile(projects() / "-b" / "s.jsonl"), "theirs");
}

TEST_F(ConversationMigratorTest, FailedVerificationRollsBackAndRecordsTheFailure)
{
    // The escaped slash hides this cwd from the field editor, so it survives the rewrite.
    const std::string escaped = "{\"type\":\"user\",\"cwd\":\"\\/w\\/old\"}\n";
    transcript("-w-old", "s.jsonl", cwdLine("/w/old") + escaped);
    const auto before = snapshot(projects() / "-w-old");
    try {
        ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), stamp);
        FAIL() << "expected verificationFailed";
    } catch (const MigrationError& error) {
        EXPECT_STREQ(error.what(), "Verification failed: 1 old references remain.");
    }
    EXPECT_EQ(snapshot(projects() / "-w-old"), before);
    EXPECT_FALSE(std::filesystem::exists(projects() / "-w-new"));
    const auto history = MigrationAudit::records();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_FALSE(history[0].success);
    EXPECT_EQ(history[0].message, "Verification failed: 1 old references remain. Nothing was applied; every file is back where it started.");
    EXPECT_FALSE(history[0].movedEntryNames);
    EXPECT_FALSE(history[0].occurrencesByClass);
    EXPECT_EQ(history[0].filesRewritten, 0);
    EXPECT_TRUE(history[0].backupPath);
}

TEST_F(ConversationMigratorTest, MigrationIntoASubfolderOfTheOldDirectorySucceeds)
{
    transcript("-work-app", "s.jsonl", cwdLine("/work/app") + cwdLine("/work/app/src"));
    const auto record = ConversationMigrator::migrate(input("-work-app", "/work/app", "/work/app/packages/app"), stamp);
    EXPECT_TRUE(record.success);
    EXPECT_EQ(readFile(projects() / "-work-app-packages-app" / "s.jsonl"),
              cwdLine("/work/app/packages/app") + cwdLine("/work/app/packages/app/src"));
}

TEST_F(ConversationMigratorTest, DryRunChangesNothing)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old") + "{\"cwd\":\"/w/old\",\"t\":\"cd /w/old\"}\n");
    const auto before = snapshot(projects());
    const auto record = ConversationMigrator::dryRun(input("-w-old", "/w/old", "/w/new"));
    EXPECT_TRUE(record.dryRun);
    EXPECT_TRUE(record.success);
    EXPECT_FALSE(record.backupPath);
    EXPECT_EQ(record.message, "Dry run: 1 files, 2 occurrences.");
    EXPECT_EQ(record.occurrencesByClass, (std::map<std::string, std::int64_t>{{"sessionCwd", 2}, {"history", 1}}));
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_FALSE(std::filesystem::exists(MigrationAudit::historyFile()));
    EXPECT_FALSE(std::filesystem::exists(AppPaths::backupsDir() / ("-w-old-" + stamp + ".tar.gz")));
}

TEST_F(ConversationMigratorTest, RefusalsAndTheirPreviews)
{
    const auto empty = ConversationMigrator::preview(input("-w-old", "", "/w/new"));
    EXPECT_EQ(empty.blockedReason, "The old or new path is empty.");
    EXPECT_EQ(empty.totalOccurrences, 0);
    EXPECT_EQ(empty.filesToRewrite, 0);
    EXPECT_THROW(ConversationMigrator::dryRun(input("-w-old", "/w/old", "")), MigrationError);

    const auto missing = ConversationMigrator::preview(input("-w-old", "/w/old", "/w/new"));
    EXPECT_EQ(missing.blockedReason, "Conversation folder does not exist: " + (projects() / "-w-old").string());
    EXPECT_EQ(missing.incomingConversations, 0);
    EXPECT_FALSE(missing.destinationPopulated);

    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    transcript("-w-new", "t.jsonl", "");
    auto strict = input("-w-old", "/w/old", "/w/new");
    strict.allowPopulatedDestination = false;
    EXPECT_TRUE(ConversationMigrator::preview(strict).destinationPopulated);
    try {
        ConversationMigrator::migrate(strict, stamp);
        FAIL() << "expected a collision";
    } catch (const MigrationError& error) {
        EXPECT_EQ(error, MigrationError::newFolderCollision((projects() / "-w-new").string()));
    }
    EXPECT_FALSE(std::filesystem::exists(AppPaths::backupsDir() / ("-w-old-" + stamp + ".tar.gz")));
}

TEST_F(ConversationMigratorTest, AFileWhereTheDestinationFolderShouldBe)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    writeFile(projects() / "-w-new", "a plain file");
    const std::string reason = "The destination " + (projects() / "-w-new").string() + " is not a folder.";
    EXPECT_EQ(ConversationMigrator::preview(input("-w-old", "/w/old", "/w/new")).blockedReason, reason);
    const auto before = snapshot(projects());
    try {
        ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), stamp);
        FAIL() << "expected a refusal";
    } catch (const MigrationError& error) {
        EXPECT_EQ(error.what(), reason);
    }
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_FALSE(archived("-w-old-" + stamp + ".tar.gz"));
    EXPECT_TRUE(MigrationAudit::records().empty());
}

} // namespace
} // namespace threadhop
