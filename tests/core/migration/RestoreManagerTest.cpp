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

// Histories in which other operations came after the migration being undone. An undo takes out of
// the migrated folder only what its record brought there, so what other operations brought and
// conversations started since stay; and it never brings back a second copy of a conversation.
TEST_F(RestoreManagerTest, AnUndoTakesOutOnlyWhatItsRecordBrought)
{
    int migrations = 0;
    // Each migration has a stamp of its own, so that no archive replaces another.
    const auto migrate = [&](std::string folder, std::string from, std::string to,
                             const ConversationMigrator::EntryMove& move = AtomicFile::moveWithoutReplacing) {
        const std::string own = "20240501-0930" + std::to_string(10 + migrations++);
        return ConversationMigrator::migrate(input(std::move(folder), std::move(from), std::move(to)), own, move);
    };
    const auto conversationIn = [&](std::string_view folder, std::string_view name, std::string_view cwd) {
        transcript(folder, name, cwdLine(cwd));
    };
    const std::string movedAgain = "The conversations have moved again since this migration, so undoing it would "
                                   "bring back a copy instead of putting things as they were.";
    const std::string oneMovedOn = "1 of the conversations this move brought in are no longer in that project, so "
                                   "undoing it would not put things as they were.";
    struct Case {
        std::string name;
        std::function<std::vector<MigrationRecord>()> history;  ///< its records, the earliest first
        std::vector<std::pair<std::size_t, std::string>> undos; ///< records undone in turn, each with its refusal
        std::function<Files()> after;                           ///< the projects after the undos
    };
    const Case cases[] = {
        {"the old folder's name was taken by another project since",
         [&] {
             conversationIn("-srv-p", "p.jsonl", "/srv/p");
             conversationIn("-a", "a.jsonl", "/a");
             return std::vector{migrate("-srv-p", "/srv/p", "/srv/q"), migrate("-a", "/a", "/srv/p")};
         },
         {{0, ""}, {1, ""}},
         [&] {
             return Files{{"-a/a.jsonl", cwdLine("/a")}, {"-srv-p/p.jsonl", cwdLine("/srv/p")}};
         }},
        {"a conversation started in the old directory was merged into the new one since",
         [&] {
             conversationIn("-a", "a.jsonl", "/a");
             const auto renamed = migrate("-a", "/a", "/srv/app");
             conversationIn("-a", "new.jsonl", "/a");
             return std::vector{renamed, migrate("-a", "/a", "/srv/app")};
         },
         {{0, ""}},
         [&] {
             return Files{{"-a/a.jsonl", cwdLine("/a")}, {"-srv-app/new.jsonl", cwdLine("/srv/app")}};
         }},
        {"a later merge failed with an entry stuck in the folder, and stays undoable",
         [&] {
             conversationIn("-w-a", "a.jsonl", "/w/a");
             conversationIn("-w-c", "c1.jsonl", "/w/c");
             conversationIn("-w-c", "c2.jsonl", "/w/c");
             const auto renamed = migrate("-w-a", "/w/a", "/srv/app");
             // The second entry fails to move, and the first cannot be moved back.
             EXPECT_THROW(migrate("-w-c", "/w/c", "/srv/app", failingAt({2, 3, 4}, std::errc::io_error)),
                          MigrationError);
             const auto failed = MigrationAudit::records().front();
             EXPECT_EQ(failed.movedEntryNames.value_or(std::vector<std::string>{}).size(), 1u);
             return std::vector{renamed, failed};
         },
         {{0, ""}, {1, ""}},
         [&] {
             return Files{{"-w-a/a.jsonl", cwdLine("/w/a")},
                          {"-w-c/c1.jsonl", cwdLine("/w/c")},
                          {"-w-c/c2.jsonl", cwdLine("/w/c")}};
         }},
        {"a resync whose folder moved on since",
         [&] {
             conversationIn("-a-b-c", "s.jsonl", "/a/b.c");
             return std::vector{migrate("-a-b-c", "/a/b.c", "/a/b_c"), migrate("-a-b-c", "/a/b_c", "/x/y")};
         },
         {{0, movedAgain}},
         [&] {
             return Files{{"-x-y/s.jsonl", cwdLine("/x/y")}};
         }},
        {"a later resync of the migrated folder moved nothing into it",
         [&] {
             conversationIn("-w-a", "a.jsonl", "/w/a");
             return std::vector{migrate("-w-a", "/w/a", "/w/b"), migrate("-w-b", "/w/b", "/w/b")};
         },
         {{0, ""}},
         [&] {
             return Files{{"-w-a/a.jsonl", cwdLine("/w/a")}};
         }},
        {"a merge whose destination took another migration since",
         [&] {
             conversationIn("-w-a", "a.jsonl", "/w/a");
             conversationIn("-w-t", "t.jsonl", "/w/t");
             conversationIn("-w-c", "c.jsonl", "/w/c");
             return std::vector{migrate("-w-a", "/w/a", "/w/t"), migrate("-w-c", "/w/c", "/w/t")};
         },
         {{0, ""}},
         [&] {
             return Files{{"-w-a/a.jsonl", cwdLine("/w/a")},
                          {"-w-t/c.jsonl", cwdLine("/w/t")},
                          {"-w-t/t.jsonl", cwdLine("/w/t")}};
         }},
        {"a conversation of another account was copied into the migrated folder since",
         [&] {
             conversationIn("-w-a", "a.jsonl", "/w/a");
             const auto renamed = migrate("-w-a", "/w/a", "/w/b");
             writeFile(targetProjects() / "-w-z" / (std::string(sessionId) + ".jsonl"), line(u1, ""));
             AccountMover::move({.source = {.id = "claude-work", .configDir = (home() / ".claude-work").string()},
                                 .target = {.id = "claude"},
                                 .sessionId = sessionId,
                                 .sourceFolderName = "-w-z",
                                 .launchCwd = "/w/app",
                                 .newCwd = "/w/b",
                                 .mode = MoveMode::clone},
                                stamp);
             return std::vector{renamed};
         },
         {{0, ""}},
         [&] {
             auto files = snapshot(projects());
             files.erase("-w-b/a.jsonl");
             files["-w-a/a.jsonl"] = cwdLine("/w/a");
             return files;
         }},
        {"a later merge undone, then the rename before it",
         [&] {
             conversationIn("-w-a", "a.jsonl", "/w/a");
             conversationIn("-w-c", "c.jsonl", "/w/c");
             return std::vector{migrate("-w-a", "/w/a", "/srv/app"), migrate("-w-c", "/w/c", "/srv/app")};
         },
         {{1, ""}, {0, ""}},
         [&] {
             return Files{{"-w-a/a.jsonl", cwdLine("/w/a")}, {"-w-c/c.jsonl", cwdLine("/w/c")}};
         }},
        {"a conversation of the rename was deleted since",
         [&] {
             conversationIn("-w-a", "a1.jsonl", "/w/a");
             conversationIn("-w-a", "a2.jsonl", "/w/a");
             const auto renamed = migrate("-w-a", "/w/a", "/w/b");
             fs::remove(projects() / "-w-b" / "a1.jsonl");
             return std::vector{renamed};
         },
         {{0, ""}},
         [&] {
             return Files{{"-w-a/a1.jsonl", cwdLine("/w/a")}, {"-w-a/a2.jsonl", cwdLine("/w/a")}};
         }},
        {"a conversation of the rename was moved to another project since",
         [&] {
             conversationIn("-w-a", "a1.jsonl", "/w/a");
             conversationIn("-w-a", "a2.jsonl", "/w/a");
             const auto renamed = migrate("-w-a", "/w/a", "/w/b");
             fs::create_directories(projects() / "-w-c");
             fs::rename(projects() / "-w-b" / "a1.jsonl", projects() / "-w-c" / "a1.jsonl");
             return std::vector{renamed};
         },
         {{0, oneMovedOn}},
         [&] {
             return Files{{"-w-b/a2.jsonl", cwdLine("/w/b")}, {"-w-c/a1.jsonl", cwdLine("/w/b")}};
         }},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        fs::remove_all(home());
        const auto records = test.history();
        const Files expected = test.after();
        for (const auto& [index, refusal] : test.undos) {
            const auto& record = records.at(index);
            if (refusal.empty()) {
                EXPECT_EQ(obstacleText(record), std::nullopt);
                EXPECT_EQ(restore(record).revertsRecordId, record.id);
                EXPECT_EQ(obstacleText(record), "This migration has already been undone.");
            } else {
                const auto before = snapshot(projects());
                EXPECT_EQ(thrown<MigrationError>([&] { restore(record); }), refusal);
                EXPECT_TRUE(snapshot(projects()) == before);
            }
        }
        EXPECT_EQ(snapshot(projects()), expected);
        EXPECT_EQ(leftovers(home()), std::vector<std::string>{});
    }
}

// A rewrite that fails half-way, whose rollback cannot give one transcript its bytes back: the
// record lists that file, and its undo puts exactly that file back from the archive.
TEST_F(RestoreManagerTest, AFailureWhoseRollbackLeftRewrittenFilesPutsBackExactlyThose)
{
    transcript("-w-old", "a.jsonl", cwdLine("/w/old"));
    transcript("-w-old", "b.jsonl", cwdLine("/w/old"));
    std::string rewritten;
    {
        // The second transcript cannot be written; the first, rewritten already, is then in the way
        // of its original (a folder stands where it was).
        int replaced = 0;
        const AtomicFile::ScopedReplaceHook disk(
            AtomicFile::ScopedReplaceHook::Moment::beforeRename, [&](const fs::path& file) {
                if (++replaced < 2) {
                    rewritten = file.filename().string();
                    return;
                }
                const fs::path first = file.parent_path() / rewritten;
                fs::rename(first, home() / "rewritten");
                fs::create_directory(first);
                throw fs::filesystem_error("cannot write", file, std::make_error_code(std::errc::io_error));
            });
        EXPECT_THROW(ConversationMigrator::migrate(input(), stamp), MigrationError);
    }
    const auto failed = MigrationAudit::records().at(0);
    ASSERT_EQ(failed.unrestoredFiles, std::vector<std::string>{rewritten});
    EXPECT_FALSE(failed.movedEntryNames);
    // The user puts the rewritten transcript back where it was.
    fs::remove(projects() / "-w-old" / rewritten);
    fs::rename(home() / "rewritten", projects() / "-w-old" / rewritten);
    ASSERT_EQ(readFile(projects() / "-w-old" / rewritten), cwdLine("/w/new"));
    transcript("-w-old", "later.jsonl", cwdLine("/w/old"));
    EXPECT_EQ(obstacleText(failed), std::nullopt);

    restore(failed);
    EXPECT_EQ(snapshot(projects()),
              (Files{{"-w-old/a.jsonl", cwdLine("/w/old")},
                     {"-w-old/b.jsonl", cwdLine("/w/old")},
                     {"-w-old/later.jsonl", cwdLine("/w/old")}}));
    EXPECT_EQ(leftovers(home()), std::vector<std::string>{});
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
    EXPECT_TRUE(failure.starts_with("Undo failed: the backup " + *other.backupPath + " could not be read back (")
                && failure.find("-w-old") != std::string::npos && failure.ends_with("). Nothing was changed."))
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

// Nothing stands under a backup's name until tar has succeeded. The failure names the folder and
// that nothing changed, then at most one line of tar's that says why: never its closing words, its
// path, how it ended, or the temporary file it wrote.
TEST_F(BackupArchiverTest, FailuresLeaveNoArchiveAndSayWhyInOneLine)
{
    const Uuid operation = Uuid::random();
    const auto backupFailure = [&](const fs::path& of) {
        return thrown<MigrationError>([&] { BackupArchiver::backup(of, "s", operation); });
    };
    const auto failed = [](const fs::path& of) {
        return "Backup failed: Threadhop could not archive " + of.string() + ", so nothing was changed.";
    };
    EXPECT_EQ(backupFailure(home() / "p" / "-missing"),
              failed(home() / "p" / "-missing") + " -missing: Cannot stat: No such file or directory.");

    const auto withTar = [&](const std::string& script) {
        const BackupArchiver::ScopedPrograms fake(program("tar", script));
        return backupFailure(folder);
    };
    const std::string archive = (AppPaths::backupsDir() / "-x-s.tar.gz").string();
    // As GNU tar and pigz end when the archive cannot be written.
    EXPECT_EQ(withTar("printf 'tar (child): %s: Cannot open: Not a directory\ntar (child): Error is not recoverable: "
                      "exiting now\n/usr/bin/tar: Child returned status 2\n/usr/bin/tar: Error is not recoverable: "
                      "exiting now\n' \"$2\" >&2; exit 2\n"),
              failed(folder) + " " + archive + ": Cannot open: Not a directory.");
    EXPECT_EQ(withTar("printf 'pigz: abort: write error on <stdout> (No space left on device)\n/usr/bin/tar: Child "
                      "returned status 1\n/usr/bin/tar: Exiting with failure status due to previous errors\n' >&2; "
                      "exit 2\n"),
              failed(folder) + " Write error on <stdout> (No space left on device).");
    // A tar that tells where it was to write, writes half an archive there, and fails silently.
    EXPECT_EQ(withTar("echo \"$2\" > '" + (home() / "written").string() + "'\necho half > \"$2\"\nexit 2\n"),
              failed(folder));
    EXPECT_EQ(readFile(home() / "written"),
              (AppPaths::backupsDir() / ".-x-s.tar.gz.threadhop-").string() + operation.lowerText() + "\n");
    EXPECT_EQ(withTar("kill -9 $$\n"), failed(folder));
    EXPECT_EQ(withTar("echo 'tar: full' >&2; kill -15 $$\n"), failed(folder) + " Full.");
    EXPECT_EQ(withTar("printf 'tar: \\377\\n' >&2; exit 2\n"), failed(folder)) << "no line that is not text";
    // A megabyte of complaints, and a line of 100 KB: the end says why.
    EXPECT_EQ(withTar("i=0; while [ $i -lt 20000 ]; do echo \"tar: line $i of a long complaint\" >&2; "
                      "i=$((i+1)); done; exit 2\n"),
              failed(folder) + " Line 19999 of a long complaint.");
    EXPECT_EQ(withTar("head -c 100000 /dev/zero | tr '\\0' x >&2; exit 2\n"),
              failed(folder) + " …" + std::string(4096, 'x') + ".");

    const BackupArchiver::ScopedPrograms missingTar(home() / "missing");
    EXPECT_EQ(backupFailure(folder), failed(folder) + " Threadhop could not start missing: No such file or directory.");
    EXPECT_EQ(entries(AppPaths::backupsDir()), std::vector<std::string>{});
}

} // namespace
} // namespace threadhop::testing
