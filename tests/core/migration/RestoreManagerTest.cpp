#include "support/ChildOperation.h"
#include "support/MigrationTest.h"

#include "core/migration/BackupArchiver.h"
#include "core/migration/RestoreManager.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace threadhop::testing {
namespace {

class RestoreManagerTest : public MigrationTest {
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

TEST_F(RestoreManagerTest, RestoringARenameAResyncOrAMergePutsEveryFileBackAsItWas)
{
    // A rename's old folder comes back; a new directory with the same folder name is a resync, whose
    // files are overwritten; a merge takes out only what came in.
    transcript("-w-x", "x.jsonl", cwdLine("/w/x"));
    transcript("-a-b-c", "s.jsonl", cwdLine("/a/b.c"));
    oldProject(true);
    const auto before = snapshot(projects());
    const auto rename = ConversationMigrator::migrate(input("-w-x", "/w/x", "/w/y"), stamp);
    const auto resync = ConversationMigrator::migrate(input("-a-b-c", "/a/b.c", "/a/b_c"), stamp);
    EXPECT_EQ(resync.message, "cwd resynced (no rename).");
    EXPECT_EQ(readFile(projects() / "-a-b-c" / "s.jsonl"), cwdLine("/a/b_c"));
    const auto merge = ConversationMigrator::migrate(input(), stamp);
    ASSERT_NE(snapshot(projects()), before);
    EXPECT_EQ(obstacleText(rename), std::nullopt);

    const auto reverting = restore(rename);
    EXPECT_EQ(std::tie(reverting.oldFolder, reverting.newFolder, reverting.oldCwd, reverting.newCwd,
                       reverting.revertsRecordId, reverting.message),
              std::tuple("-w-y", "-w-x", "/w/y", "/w/x", rename.id,
                         "Restore from backup (reverts migration " + rename.id.upperText().substr(0, 8) + ")"));
    EXPECT_TRUE(reverting.backupPath && reverting.backupPath->ends_with("-w-y-pre-restore-20240502-100000.tar.gz"));
    EXPECT_TRUE(fs::exists(*reverting.backupPath));
    EXPECT_EQ(MigrationAudit::records().front().id, reverting.id);
    EXPECT_EQ(obstacleText(rename), "This migration has already been undone.");
    restore(merge);
    restore(resync);
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_EQ(entries(projects()), (std::vector<std::string>{"-a-b-c", "-w-new", "-w-old", "-w-x"}));
}

TEST_F(RestoreManagerTest, EveryObstacle)
{
    conversation(line(u1, ""));
    const auto move = AccountMover::move(accountMove(MoveMode::clone), stamp);
    ASSERT_TRUE(move.targetAccountId && move.backupPath);
    const auto untouched = snapshot(home());
    EXPECT_EQ(obstacleText(move),
              "This entry moved a conversation to another account. Undoing it from its backup "
              "would overwrite the source project while the copy stays in the other account.");
    EXPECT_THROW(restore(move), MigrationError);
    EXPECT_TRUE(snapshot(home()) == untouched);

    oldProject(true);
    const auto merge = ConversationMigrator::migrate(input(), stamp);

    const auto changed = [&](const std::function<void(MigrationRecord&)>& change) {
        auto record = merge;
        change(record);
        return obstacleText(record);
    };
    EXPECT_EQ(changed([](auto& record) { record.dryRun = true; }), "A dry run changed nothing.");
    EXPECT_EQ(changed([](auto& record) { record.success = false, record.movedEntryNames.reset(); }),
              "This entry did not change anything.");
    // A failure whose rollback left entries behind can be undone.
    EXPECT_EQ(changed([](auto& record) { record.success = false; }), std::nullopt);

    fs::remove(projects() / "-w-new" / "a.jsonl");
    EXPECT_EQ(obstacleText(merge),
              "1 of the conversations this move brought in are no longer in that project, so "
              "undoing it would not put things as they were.");
    fs::remove_all(projects() / "-w-new");
    EXPECT_EQ(obstacleText(merge),
              "The conversations have moved again since this migration, so undoing it would bring "
              "back a copy instead of putting things as they were.");
    fs::remove(*merge.backupPath);
    EXPECT_EQ(obstacleText(merge), "Backup failed: The backup no longer exists.");
    EXPECT_EQ(changed([](auto& record) { record.backupPath.reset(); }), "Backup failed: The backup no longer exists.");
    EXPECT_THROW(restore(merge), MigrationError);
}

TEST_F(RestoreManagerTest, ADamagedHistoryNamingAnythingButPlainNamesTouchesNothing)
{
    oldProject(true);
    writeFile(home() / ".claude" / "settings.json", "{\"keep\": true}");
    const auto merge = ConversationMigrator::migrate(input(), stamp);

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
             withNames("..", "-w-new", {"a.jsonl"}),
             withNames("-w-old", "", {"a.jsonl"}),
             withNames(".", "-w-new", {"a.jsonl"}),
             withNames("-w-old", "-w-new/..", {"a.jsonl"}),
             withNames("-w-old", "-w-new", {"../../settings.json"}),
             withNames("-w-old", "-w-new", {"a.jsonl", ".."}),
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

TEST_F(RestoreManagerTest, ALaterMigrationIntoTheSameFolderMustBeUndoneFirst)
{
    transcript("-w-a", "a.jsonl", cwdLine("/w/a"));
    transcript("-w-c", "c.jsonl", cwdLine("/w/c"));
    const auto renamed = ConversationMigrator::migrate(input("-w-a", "/w/a", "/srv/app"), stamp);
    const auto merged = ConversationMigrator::migrate(input("-w-c", "/w/c", "/srv/app"), stamp);
    const std::string undoThatFirst = "A later migration moved conversations into this folder. Undo that one first.";
    EXPECT_EQ(obstacleText(renamed), undoThatFirst);
    const auto before = snapshot(projects());
    EXPECT_EQ(thrown<MigrationError>([&] { restore(renamed); }), undoThatFirst);
    EXPECT_EQ(snapshot(projects()), before);
    // An account move into this account counts too, whichever folder it came from; one into
    // another account does not.
    const auto obstacleIn = [&](const std::vector<MigrationRecord>& audit) {
        const auto obstacle = RestoreManager::obstacle(renamed, projects(), audit);
        return obstacle ? std::string(obstacle->what()) : std::string();
    };
    auto movedIn = merged;
    movedIn.id = Uuid::random();
    movedIn.accountId = "claude-work";
    movedIn.oldFolder = "-w-a";
    movedIn.targetAccountId = "claude";
    EXPECT_EQ(obstacleIn({movedIn, renamed}), undoThatFirst);
    movedIn.targetAccountId = "claude-other";
    EXPECT_EQ(obstacleIn({movedIn, renamed}), "");

    restore(merged);
    EXPECT_EQ(obstacleText(renamed), std::nullopt);
    restore(renamed);
    EXPECT_EQ(entries(projects()), (std::vector<std::string>{"-w-a", "-w-c"}));
}

// A record naming another project's archive, as a hand edit of the history may leave it: only the
// record's folder is extracted, and the failure changes nothing.
TEST_F(RestoreManagerTest, OnlyTheRecordsFolderIsExtractedAndAFailedExtractionWritesNoRecord)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    transcript("-w-c", "c.jsonl", cwdLine("/w/c"));
    const auto migration = ConversationMigrator::migrate(input(), stamp);
    const auto other = ConversationMigrator::migrate(input("-w-c", "/w/c", "/w/d"), stamp);
    auto wrongArchive = migration;
    wrongArchive.backupPath = other.backupPath;
    const auto before = snapshot(projects());
    const auto failure = thrown<MigrationError>([&] { restore(wrongArchive); });
    EXPECT_TRUE(failure.starts_with("Backup failed: Extraction failed: ")
                && failure.find("-w-old") != std::string::npos)
        << failure;
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_EQ(MigrationAudit::records().size(), 2u);
    EXPECT_EQ(obstacleText(migration), std::nullopt);
}

TEST_F(RestoreManagerTest, RealSessionMigratesAndRestoresByteForByte)
{
    const auto folder = projects() / realFolder;
    copyRealSession(folder);
    const std::string newCwd = "/home/USER/elsewhere/spotter-4te";
    const auto original = snapshot(folder);

    const auto migration = ConversationMigrator::migrate(input(realFolder, realCwd, newCwd), stamp);
    auto expected = original;
    for (auto& [name, content] : expected)
        content = replaced(content, "\"cwd\":\"" + std::string(realCwd) + "\"", "\"cwd\":\"" + newCwd + "\"");
    EXPECT_TRUE(snapshot(projects() / "-home-USER-elsewhere-spotter-4te") == expected) << "more changes than the cwds";
    EXPECT_GT(migration.occurrencesReplaced, 2000);

    restore(migration);
    EXPECT_TRUE(snapshot(folder) == original);
}

// Archiving and extracting a folder whose name begins with a dash are the backup and the restore of
// every migration: the migration and restore tests go through both (a failed extraction above);
// here, what they do not reach.
class BackupArchiverTest : public MigrationTest {
protected:
    void SetUp() override { writeFile(folder / "a.jsonl", "{}\n"); }

    /// A program of the test's in the home, running `script`.
    fs::path program(const std::string& name, const std::string& script) const
    {
        writeFile(home() / name, "#!/bin/sh\n" + script);
        fs::permissions(home() / name, fs::perms::owner_all);
        return home() / name;
    }

    const fs::path folder = home() / "p" / "-x";
};

TEST_F(BackupArchiverTest, SameStampReplacesTheArchive)
{
    writeFile(folder / "a.jsonl", "first");
    const auto first = BackupArchiver::backup(folder, "s", Uuid::random());
    writeFile(folder / "a.jsonl", "second");
    EXPECT_EQ(BackupArchiver::backup(folder, "s", Uuid::random()), first);
    EXPECT_EQ(archives(), 1u);
    const TempFolder out;
    BackupArchiver::extract(first, out.path(), "-x");
    EXPECT_EQ(readFile(out.path() / "-x" / "a.jsonl"), "second");
}

TEST_F(BackupArchiverTest, CompressesWithPigzWhereItCanRunAndWithGzipOtherwise)
{
    // Tells that it ran, then compresses as pigz would.
    const std::string script = "touch \"" + (home() / "pigz-ran").string() + "\"\nexec gzip \"$@\"\n";
    const auto pigz = program("pigz", script);
    // Not executable: even root cannot run a file without any execute bit.
    const auto unrunnable = program("pigz-unrunnable", script);
    fs::permissions(unrunnable, fs::perms::owner_read | fs::perms::owner_write);
    for (const auto& compressor : {pigz, home() / "missing", unrunnable}) {
        const BackupArchiver::ScopedPrograms programs("/usr/bin/tar", compressor);
        fs::remove(home() / "pigz-ran");
        const auto archive = BackupArchiver::backup(folder, "s", Uuid::random());
        EXPECT_EQ(fs::exists(home() / "pigz-ran"), compressor == pigz) << compressor;
        const TempFolder out;
        BackupArchiver::extract(archive, out.path(), "-x");
        EXPECT_EQ(readFile(out.path() / "-x" / "a.jsonl"), "{}\n");
    }
}

TEST_F(BackupArchiverTest, TarDoesNotOutliveTheProcessWaitingForIt)
{
    const auto pidFile = home() / "tar.pid";
    ChildOperation waiting({THREADHOP_CRASH_CHILD, home().string(), "run", "/bin/sh", "-c",
                            "echo $$ > '" + pidFile.string() + ".part'; mv '" + pidFile.string() + ".part' '"
                                + pidFile.string() + "'; exec sleep 120"});
    for (int tries = 0; tries < 1000 && !fs::exists(pidFile); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const pid_t tar = std::stoi(readFile(pidFile));
    waiting.kill();
    EXPECT_TRUE(processEndsSoon(tar));
    ::kill(tar, SIGKILL); // should it have outlived its parent after all
}

// Nothing stands under a backup's name until tar has succeeded; the failure says how tar ended.
TEST_F(BackupArchiverTest, FailuresLeaveNoArchiveAndSayHowTarEnded)
{
    const Uuid operation = Uuid::random();
    const auto backupFailure = [&](const fs::path& of) {
        return thrown<MigrationError>([&] { BackupArchiver::backup(of, "s", operation); });
    };
    const auto missing = backupFailure(home() / "p" / "-missing");
    EXPECT_TRUE(missing.starts_with("Backup failed: ") && missing.find("-missing") != std::string::npos) << missing;

    const auto withTar = [&](const std::string& script) {
        const BackupArchiver::ScopedPrograms fake(program("tar", script));
        return backupFailure(folder);
    };
    // A tar that tells where it was to write, writes half an archive there, and fails.
    EXPECT_EQ(withTar("echo \"$2\" > '" + (home() / "written").string() + "'\necho half > \"$2\"\nexit 2\n"),
              "Backup failed: tar exited with status 2.");
    EXPECT_EQ(readFile(home() / "written"),
              (AppPaths::backupsDir() / ".-x-s.tar.gz.threadhop-").string() + operation.lowerText() + "\n");
    EXPECT_EQ(withTar("kill -9 $$\n"), "Backup failed: tar was stopped by signal 9.");
    EXPECT_EQ(withTar("echo 'tar: full' >&2; kill -15 $$\n"),
              "Backup failed: tar: full\ntar was stopped by signal 15.");
    // gzip opens its complaint with a line break.
    EXPECT_EQ(withTar("printf '\\ngzip: stdout: No space left on device\\n' >&2; exit 2\n"),
              "Backup failed: gzip: stdout: No space left on device\n");
    // A megabyte of complaints: only its last lines are kept.
    std::string tail;
    for (int i = 19980; i < 20000; ++i)
        tail += "tar: line " + std::to_string(i) + " of a long complaint\n";
    EXPECT_EQ(withTar("i=0; while [ $i -lt 20000 ]; do echo \"tar: line $i of a long complaint\" >&2; "
                      "i=$((i+1)); done; exit 2\n"),
              "Backup failed: …" + tail);

    const BackupArchiver::ScopedPrograms missingTar(home() / "missing");
    EXPECT_EQ(backupFailure(folder),
              "Backup failed: cannot start " + (home() / "missing").string() + ": No such file or directory.");
    EXPECT_EQ(entries(AppPaths::backupsDir()), std::vector<std::string>{});
}

} // namespace
} // namespace threadhop::testing
