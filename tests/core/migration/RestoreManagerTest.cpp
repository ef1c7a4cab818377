#include "support/MigrationTest.h"

#include "core/migration/AccountMover.h"
#include "core/migration/RestoreManager.h"

namespace threadhop {
namespace {

using testing::cwdLine;
using testing::readFile;
using testing::writeFile;

class RestoreManagerTest : public testing::MigrationTest {
protected:
    std::optional<std::string> obstacleText(const MigrationRecord& record) const
    {
        const auto obstacle = RestoreManager::obstacle(record, projects(), MigrationAudit::records());
        return obstacle ? std::optional<std::string>(obstacle->what()) : std::nullopt;
    }

    MigrationRecord restore(const MigrationRecord& record) const
    {
        return RestoreManager::restore(record, projects(), "20240502-100000", MigrationAudit::records());
    }
};

TEST_F(RestoreManagerTest, RestoringARenamePutsTheOldFolderBack)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    transcript("-w-old", "s/subagents/a.jsonl", cwdLine("/w/old"));
    const auto before = snapshot(projects() / "-w-old");
    const auto migration = ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), "20240501-093000");
    EXPECT_EQ(obstacleText(migration), std::nullopt);

    const auto reverting = restore(migration);
    EXPECT_EQ(snapshot(projects() / "-w-old"), before);
    EXPECT_FALSE(std::filesystem::exists(projects() / "-w-new"));
    EXPECT_EQ(reverting.oldFolder, "-w-new");
    EXPECT_EQ(reverting.newFolder, "-w-old");
    EXPECT_EQ(reverting.oldCwd, "/w/new");
    EXPECT_EQ(reverting.newCwd, "/w/old");
    EXPECT_EQ(reverting.revertsRecordId, migration.id);
    EXPECT_EQ(reverting.message, "Restore from backup (reverts migration " + migration.id.upperText().substr(0, 8) + ")");
    EXPECT_TRUE(reverting.backupPath && reverting.backupPath->ends_with("-w-new-pre-restore-20240502-100000.tar.gz"));
    EXPECT_TRUE(std::filesystem::exists(*reverting.backupPath));
    EXPECT_EQ(MigrationAudit::records().front().id, reverting.id);
    EXPECT_EQ(obstacleText(migration), "This migration has already been undone.");
}

TEST_F(RestoreManagerTest, RestoringAResyncOverwritesTheRewrittenFiles)
{
    transcript("-a-b-c", "s.jsonl", cwdLine("/a/b.c"));
    const auto before = snapshot(projects() / "-a-b-c");
    const auto migration = ConversationMigrator::migrate(input("-a-b-c", "/a/b.c", "/a/b_c"), "20240501-093000");
    ASSERT_NE(snapshot(projects() / "-a-b-c"), before);
    restore(migration);
    EXPECT_EQ(snapshot(projects() / "-a-b-c"), before);
}

TEST_F(RestoreManagerTest, RestoringAMergeTakesOutOnlyWhatCameIn)
{
    transcript("-w-new", "theirs.jsonl", cwdLine("/w/new"));
    transcript("-w-old", "mine.jsonl", cwdLine("/w/old"));
    transcript("-w-old", "mine/subagents/a.jsonl", cwdLine("/w/old"));
    const auto before = snapshot(projects() / "-w-old");
    const auto migration = ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), "20240501-093000");
    restore(migration);
    EXPECT_EQ(snapshot(projects() / "-w-old"), before);
    EXPECT_EQ(entries(projects() / "-w-new"), std::vector<std::string>{"theirs.jsonl"});
}

TEST_F(RestoreManagerTest, EveryObstacle)
{
    transcript("-w-new", "theirs.jsonl", "");
    transcript("-w-old", "a.jsonl", cwdLine("/w/old"));
    transcript("-w-old", "b.jsonl", cwdLine("/w/old"));
    const auto merge = ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), "20240501-093000");

    auto dryRun = merge;
    dryRun.dryRun = true;
    EXPECT_EQ(obstacleText(dryRun), "A dry run changed nothing.");

    auto nothing = merge;
    nothing.success = false;
    nothing.movedEntryNames.reset();
    EXPECT_EQ(obstacleText(nothing), "This entry did not change anything.");
    auto stuck = merge; // a failure whose rollback left entries behind can be undone
    stuck.success = false;
    EXPECT_EQ(obstacleText(stuck), std::nullopt);

    std::filesystem::remove(projects() / "-w-new" / "a.jsonl");
    EXPECT_EQ(obstacleText(merge), "1 of the conversations this move brought in are no longer in that project, so undoing it "
                                   "would not put things as they were.");
    std::filesystem::remove_all(projects() / "-w-new");
    EXPECT_EQ(obstacleText(merge), "The conversations have moved again since this migration, so undoing it would bring back a "
                                   "copy instead of putting things as they were.");
    std::filesystem::remove(*merge.backupPath);
    EXPECT_EQ(obstacleText(merge), "Backup failed: The backup no longer exists.");
    auto noBackup = merge;
    noBackup.backupPath.reset();
    EXPECT_EQ(obstacleText(noBackup), "Backup failed: The backup no longer exists.");
    EXPECT_THROW(restore(merge), MigrationError);
}

TEST_F(RestoreManagerTest, ADamagedHistoryNamingAnythingButPlainNamesTouchesNothing)
{
    transcript("-w-new", "theirs.jsonl", cwdLine("/w/new"));
    transcript("-w-old", "mine.jsonl", cwdLine("/w/old"));
    writeFile(home() / ".claude" / "settings.json", "{\"keep\": true}");
    const auto merge = ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), "20240501-093000");

    // The history as a damaged or hostile file may hold it: "newFolder": ".." would empty ~/.claude.
    auto history = readFile(MigrationAudit::historyFile());
    history.replace(history.find("\"newFolder\": \"-w-new\""), 21, "\"newFolder\": \"..\"");
    writeFile(MigrationAudit::historyFile(), history);
    const auto damaged = MigrationAudit::records().at(0);
    ASSERT_EQ(damaged.newFolder, "..");
    const auto before = snapshot(home());
    EXPECT_THROW(restore(damaged), MigrationError);
    EXPECT_TRUE(snapshot(home()) == before);

    const std::string refusal = "This entry is damaged: it names a folder or a conversation by something other than a "
                                "plain name, so undoing it could touch files outside the project.";
    EXPECT_EQ(obstacleText(damaged), refusal);
    const auto withNames = [&](std::string oldFolder, std::string newFolder, std::vector<std::string> moved) {
        auto record = merge;
        record.oldFolder = std::move(oldFolder);
        record.newFolder = std::move(newFolder);
        record.movedEntryNames = std::move(moved);
        return record;
    };
    for (const auto& record : {
             withNames("..", "-w-new", {"mine.jsonl"}),
             withNames("-w-old", "", {"mine.jsonl"}),
             withNames(".", "-w-new", {"mine.jsonl"}),
             withNames("-w-old", "-w-new/..", {"mine.jsonl"}),
             withNames("-w-old", "-w-new", {"../../settings.json"}),
             withNames("-w-old", "-w-new", {"mine.jsonl", ".."}),
             withNames("-w-old", "-w-new", {""}),
             withNames("-w-old", "-w-new", {"."}),
             withNames("-w-old", "-w-new", {std::string("mine.jsonl\0x", 12)}),
         }) {
        EXPECT_EQ(obstacleText(record), refusal) << record.oldFolder << " " << record.newFolder;
        EXPECT_THROW(restore(record), MigrationError);
    }
    EXPECT_TRUE(snapshot(home()) == before);
    EXPECT_EQ(obstacleText(merge), std::nullopt) << "names the system writes stay restorable";
}

TEST_F(RestoreManagerTest, AnAccountMoveIsNotUndoneFromItsBackup)
{
    const std::string session = "5e55105e-0000-4000-8000-000000000001";
    transcript("-w-app", session + ".jsonl",
               "{\"type\":\"user\",\"cwd\":\"/w/app\",\"uuid\":\"u1\",\"sessionId\":\"" + session + "\"}\n");
    const auto move = AccountMover::move({.source = {.id = "claude"},
                                          .target = {.id = "work", .configDir = (home() / ".claude-work").string()},
                                          .sessionId = session,
                                          .sourceFolderName = "-w-app",
                                          .launchCwd = "/w/app",
                                          .mode = MoveMode::clone},
                                         "20240501-093000");
    ASSERT_TRUE(move.targetAccountId && move.backupPath);
    const auto before = snapshot(home());
    EXPECT_EQ(obstacleText(move), "This entry moved a conversation to another account. Undoing it from its backup "
                                  "would overwrite the source project while the copy stays in the other account.");
    EXPECT_THROW(restore(move), MigrationError);
    EXPECT_TRUE(snapshot(home()) == before);
}

TEST_F(RestoreManagerTest, AFailedExtractionWritesNoRecord)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    const auto migration = ConversationMigrator::migrate(input("-w-old", "/w/old", "/w/new"), "20240501-093000");
    writeFile(*migration.backupPath, "not an archive");
    try {
        restore(migration);
        FAIL() << "expected the extraction to fail";
    } catch (const MigrationError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("Backup failed: Extraction failed: "));
    }
    EXPECT_EQ(MigrationAudit::records().size(), 1u);
    EXPECT_EQ(obstacleText(migration), std::nullopt);
}

TEST_F(RestoreManagerTest, RealSessionMigratesAndRestoresByteForByte)
{
    const auto fixtures = testing::fixtureTranscripts();
    if (!fixtures)
        GTEST_SKIP() << "no fixture transcripts";
    const std::string oldCwd = "/home/USER/projects/spotter-worktrees/spotter-4te";
    const std::string newCwd = "/home/USER/elsewhere/spotter-4te";
    const std::string session = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";
    const auto folder = projects() / "-home-USER-projects-spotter-worktrees-spotter-4te";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(*fixtures / (session + ".jsonl"), folder / (session + ".jsonl"));
    std::filesystem::copy(*fixtures / session, folder / session, std::filesystem::copy_options::recursive);
    const auto original = snapshot(folder);

    const auto migration = ConversationMigrator::migrate(input(folder.filename().string(), oldCwd, newCwd), "20240501-093000");
    const auto moved = snapshot(projects() / "-home-USER-elsewhere-spotter-4te");
    ASSERT_EQ(moved.size(), original.size());
    for (const auto& [name, content] : original) {
        std::string expected = content;
        const std::string from = "\"cwd\":\"" + oldCwd + "\"";
        const std::string to = "\"cwd\":\"" + newCwd + "\"";
        for (std::size_t at = expected.find(from); at != std::string::npos; at = expected.find(from, at + to.size()))
            expected.replace(at, from.size(), to);
        EXPECT_TRUE(moved.at(name) == expected) << name << " holds more changes than its cwd values";
    }
    EXPECT_GT(migration.occurrencesReplaced, 2000);

    restore(migration);
    EXPECT_TRUE(snapshot(folder) == original);
}

} // namespace
} // namespace threadhop
