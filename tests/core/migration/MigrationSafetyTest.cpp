// A migration renames or merges the folder and rewrites its transcripts. It either finishes with its
// record or leaves every byte as it was: what can be refused is refused before anything changes, and
// every failure after the first change puts back the exact bytes each file held.
#include "support/Fifo.h"
#include "support/MigrationTest.h"
#include "support/UnprivilegedUser.h"

#include "core/migration/BackupArchiver.h"
#include "core/migration/RestoreManager.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"

#include <fstream>

#include <fcntl.h>
#include <unistd.h>

namespace threadhop::testing {
namespace {

using Hook = AtomicFile::ScopedReplaceHook;

using ConversationMigratorTest = MigrationTest;

TEST_F(ConversationMigratorTest, RenameRewritesMovesAndRecords)
{
    // The account's folder may be a link to another place: it migrates all the same.
    fs::create_directories(home() / "real-claude");
    fs::create_directory_symlink(home() / "real-claude", home() / ".claude");
    transcript("-w-old", "s1.jsonl", cwdLine("/w/old") + cwdLine("/w/old/src", ",\"n\":1.50"));
    transcript("-w-old", "s2.jsonl", cwdLine("/elsewhere"));
    transcript("-w-old", "s1/subagents/a.jsonl", cwdLine("/w/old"));

    const auto record = ConversationMigrator::migrate(input(), stamp);
    EXPECT_FALSE(fs::exists(projects() / "-w-old"));
    EXPECT_EQ(snapshot(home() / "real-claude" / "projects" / "-w-new"),
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
    EXPECT_TRUE(PendingOperations::all().empty());
    EXPECT_TRUE(leftovers(projects()).empty());
}

TEST_F(ConversationMigratorTest, MergeIntoAPopulatedDestinationOnlyWhenAllowed)
{
    oldProject(true);
    auto strict = input();
    strict.allowPopulatedDestination = false;
    EXPECT_EQ(thrown<MigrationError>([&] { ConversationMigrator::migrate(strict, stamp); }),
              "Destination folder already exists: " + (projects() / "-w-new").string());
    EXPECT_FALSE(fs::exists(backupOf("-w-old")));
    // Named like conversations but none: they count as other files.
    makeFifo(projects() / "-w-old" / "fifo.jsonl");
    fs::create_symlink("gone", projects() / "-w-old" / "dangling.jsonl");
    makeFifo(projects() / "-w-new" / "their-fifo.jsonl");

    const auto preview = ConversationMigrator::preview(input());
    EXPECT_EQ(std::tie(preview.destinationPopulated, preview.incomingConversations, preview.destinationConversations),
              std::tuple(true, 2, 1));

    const auto record = ConversationMigrator::migrate(input(), stamp);
    EXPECT_EQ(record.message,
              "Moved 2 conversation(s) into a project that already had some. (3 other file(s) came with them.)");
    auto moved = record.movedEntryNames.value_or(std::vector<std::string>{});
    std::sort(moved.begin(), moved.end());
    EXPECT_EQ(moved, (std::vector<std::string>{"a", "a.jsonl", "b.jsonl", "dangling.jsonl", "fifo.jsonl"}));
    EXPECT_FALSE(fs::exists(projects() / "-w-old"));
    EXPECT_EQ(entries(projects() / "-w-new"),
              (std::vector<std::string>{"a", "a.jsonl", "b.jsonl", "dangling.jsonl", "fifo.jsonl", "their-fifo.jsonl",
                                        "theirs.jsonl"}));
    EXPECT_EQ(readFile(projects() / "-w-new" / "a" / "subagents" / "agent.jsonl"), cwdLine("/w/new"));
    EXPECT_TRUE(fs::exists(archive("-w-new-destination-" + std::string(stamp) + ".tar.gz")));

    // An empty destination is there all the same; conversations alone bring no other files to speak of.
    transcript("-w-c", "c.jsonl", cwdLine("/w/c"));
    fs::create_directories(projects() / "-w-empty");
    const auto request = input("-w-c", "/w/c", "/w/empty");
    EXPECT_TRUE(ConversationMigrator::preview(request).destinationPopulated);
    EXPECT_EQ(ConversationMigrator::migrate(request, stamp).message,
              "Moved 1 conversation(s) into a project that already had some.");
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
              "Rename failed: " + std::make_error_code(std::errc::io_error).message() + " in "
                  + (projects() / "-from").string() + " — and 1 file(s) could not be put back: " + stuck[0]
                  + ". Both folders were archived before this started.");
}

TEST_F(ConversationMigratorTest, AMoveNeverReplacesWhatIsAlreadyThere)
{
    transcript("-a", "s.jsonl", "mine");
    transcript("-b", "s.jsonl", "theirs");
    EXPECT_THROW(AtomicFile::moveWithoutReplacing(projects() / "-a" / "s.jsonl", projects() / "-b" / "s.jsonl"),
                 fs::filesystem_error);
    EXPECT_THROW(AtomicFile::moveWithoutReplacing(projects() / "-a", projects() / "-b"), fs::filesystem_error);
    EXPECT_EQ(snapshot(projects()), (Files{{"-a/s.jsonl", "mine"}, {"-b/s.jsonl", "theirs"}}));
}

TEST_F(ConversationMigratorTest, DryRunChangesNothing)
{
    transcript("-w-old", "s.jsonl",
               cwdLine("/w/old")
                   + "{\"cwd\":\"/w/old\",\"t\":\"cd "
                     "/w/old\"}\n{\"snapshot\":{\"trackedFileBackups\":{\"f\":\"/w/old/x\"}}}\n");
    const auto before = snapshot(projects());
    const auto record = ConversationMigrator::dryRun(input());
    EXPECT_EQ(std::tie(record.dryRun, record.success, record.backupPath, record.message),
              std::tuple(true, true, std::nullopt, "Dry run: 1 files, 2 occurrences."));
    EXPECT_EQ(record.occurrencesByClass,
              (std::map<std::string, std::int64_t>{{"sessionCwd", 2}, {"history", 1}, {"externalState", 1}}));
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_FALSE(fs::exists(MigrationAudit::historyFile()));
    EXPECT_FALSE(fs::exists(backupOf("-w-old")));
}

// The escaped slashes hide this cwd from the field editor, so it survives the rewrite and
// verification fails.
const std::string hiddenOldCwd = "{\"type\":\"user\",\"cwd\":\"\\/w\\/old\"}\n";
// What a failed verification that put every file back says, on the sheet as in the history.
// Write permission for anyone, to be taken from a folder.
constexpr auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

const std::string verificationFailed =
    "Verification failed: 1 old references remain. Nothing was applied; every file is back where it started.";

class MigrationSafetyTest : public MigrationTest {
protected:
    template <typename Error = MigrationError>
    std::string failure(const ConversationMigrator::Input& request,
                        const ConversationMigrator::EntryMove& move = AtomicFile::moveWithoutReplacing) const
    {
        return thrown<Error>([&] { ConversationMigrator::migrate(request, stamp, move); });
    }
};

TEST_F(MigrationSafetyTest, VerificationSeesOldValuesWhenTheNewDirectoryIsAParent)
{
    transcript("-w-old-sub", "s.jsonl", cwdLine("/w/old/sub") + "{\"cwd\":\"\\/w\\/old\\/sub\"}\n");
    const auto before = snapshot(projects());
    EXPECT_EQ(failure(input("-w-old-sub", "/w/old/sub", "/w/old")), verificationFailed);
    EXPECT_EQ(snapshot(projects()), before);

    // The other direction: the new directory's own values lie below the old one and are no residue,
    // but a hidden old value still is.
    transcript("-w-old", "s.jsonl", cwdLine("/w/old") + hiddenOldCwd);
    EXPECT_EQ(failure(input("-w-old", "/w/old", "/w/old/packages/app")), verificationFailed);
}

TEST_F(MigrationSafetyTest, RollbackPutsBackTheExactBytesAndALateLine)
{
    // A conversation that drifted into the new directory names it legitimately: a reverse rewrite
    // would turn that value into the old directory.
    const std::string original = cwdLine("/w/old") + cwdLine("/w/new/docs") + hiddenOldCwd;
    transcript("-w-old", "s.jsonl", original);
    const std::string agent = cwdLine("/w/old") + cwdLine("/w/new");
    transcript("-w-old", "s/subagents/agent.jsonl", agent);
    // Claude Code appends a line after the backup, just before the transcript is replaced.
    const std::string late = cwdLine("/w/old", ",\"late\":true");
    bool appended = false;
    const Hook hook(Hook::Moment::beforeCheck, [&](const fs::path& file) {
        if (!appended && file.filename() == "s.jsonl") {
            appended = true;
            std::ofstream(file, std::ios::app) << late;
        }
    });

    EXPECT_EQ(failure(input()), verificationFailed);
    EXPECT_EQ(snapshot(projects()),
              (Files{{"-w-old/s.jsonl", original + late}, {"-w-old/s/subagents/agent.jsonl", agent}}));
    EXPECT_EQ(entries(projects()), std::vector<std::string>{"-w-old"}); // nothing of ours is left behind
    const auto record = onlyRecord();
    EXPECT_FALSE(record.success || record.movedEntryNames || record.occurrencesByClass || record.filesRewritten);
    EXPECT_EQ(std::tie(record.backupPath, record.message), std::tuple(backupOf("-w-old"), verificationFailed));

    // A writer that opens the transcript for every line writes one while the rollback puts the
    // original back, just before the rename: the line is kept.
    fs::remove_all(home());
    transcript("-w-old", "s.jsonl", original);
    const Hook duringPutBack(Hook::Moment::beforePutBack, [&](const fs::path& file) {
        if (file.filename() == "s.jsonl")
            std::ofstream(file, std::ios::app) << late;
    });
    EXPECT_EQ(failure(input()), verificationFailed);
    EXPECT_EQ(snapshot(projects()), (Files{{"-w-old/s.jsonl", original + late}}));
}

// Claude Code processes the live-session check cannot see (one started since) append while the
// migration runs: through a transcript they keep open, or through one they open again afterwards.
TEST_F(MigrationSafetyTest, LinesAWriterAddsWhileItRunsFailTheMigrationAndAreKept)
{
    const std::string original = cwdLine("/w/old") + cwdLine("/w/old/src");
    const std::string writtenMeanwhile = "Claude Code wrote to s.jsonl while the migration ran; what it wrote is "
                                         "kept. Nothing was applied; every file is back where it started.";
    struct Writer {
        bool keepsItOpen;
        std::string line;
        std::string failure;
    };
    for (const auto& writer :
         {Writer{true, cwdLine("/w/old"), writtenMeanwhile}, Writer{false, cwdLine("/w/new"), writtenMeanwhile},
          Writer{false, cwdLine("/w/old"), verificationFailed}}) {
        SCOPED_TRACE(writer.keepsItOpen ? "open since before" : "opened again");
        fs::remove_all(home());
        transcript("-w-old", "s.jsonl", original);
        const fs::path transcript = projects() / "-w-old" / "s.jsonl";
        const int held = ::open(transcript.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_GE(held, 0);
        const OperationSteps::ScopedHook hook([&](OperationStep step) {
            if (step != OperationStep::rewritten)
                return;
            ASSERT_NE(readFile(transcript), original);
            if (writer.keepsItOpen)
                ASSERT_EQ(::write(held, writer.line.data(), writer.line.size()),
                          static_cast<ssize_t>(writer.line.size()));
            else
                std::ofstream(transcript, std::ios::app) << writer.line;
        });
        EXPECT_EQ(failure(input()), writer.failure);
        ::close(held);
        EXPECT_EQ(snapshot(projects()), (Files{{"-w-old/s.jsonl", original + writer.line}}));
        EXPECT_TRUE(
            onlyRecord().message.value_or("").ends_with("Nothing was applied; every file is back where it started."));
    }

    // The transcript kept changing, and its original cannot be put back over it: the record says that
    // it still holds the rewritten text, and lists it for the undo.
    fs::remove_all(home());
    transcript("-w-old", "s.jsonl", original);
    const OperationSteps::ScopedHook writer([&](OperationStep step) {
        if (step == OperationStep::rewritten)
            std::ofstream(projects() / "-w-old" / "s.jsonl", std::ios::app) << cwdLine("/w/new");
    });
    const Hook stuck(Hook::Moment::beforePutBack, [](const fs::path& file) {
        throw fs::filesystem_error("cannot put back", file, std::make_error_code(std::errc::io_error));
    });
    EXPECT_EQ(failure(input()),
              "Claude Code wrote to s.jsonl while the migration ran; what it wrote is kept. The files are back in "
              "-w-old, but 1 file(s) still hold the rewritten text: s.jsonl. The folder was archived before this "
              "started: "
                  + backupOf("-w-old") + ".");
    EXPECT_EQ(onlyRecord().unrestoredFiles, std::vector<std::string>{"s.jsonl"});
}

TEST_F(MigrationSafetyTest, AMergeThatFailsVerificationLeavesBothFoldersAsTheyWere)
{
    oldProject(true);
    transcript("-w-new", "theirs.jsonl", cwdLine("/w/new") + cwdLine("/w/old")); // once ran in the old directory
    const auto before = snapshot(projects());
    EXPECT_EQ(failure(input()), verificationFailed);
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_FALSE(onlyRecord().movedEntryNames);
}

// One refusal: what makes it on top of a transcript in -w-old, and its text, where {projects} stands
// for the projects folder and {pid} for this process.
struct Refusal {
    const char* newCwd;
    std::function<void(const fs::path& projects)> arrange;
    const char* reason;
};

TEST_F(MigrationSafetyTest, WhatCanBeCheckedFirstIsRefusedBeforeAnythingChanges)
{
    const auto nothing = [](const fs::path&) {};
    const Refusal refusals[] = {
        {"/w/new",
         [](const fs::path& p) {
             writeFile(p / "-w-old" / "THREADHOP-MOVES.md", "# moves\n");
             writeFile(p / "-w-new" / "THREADHOP-MOVES.md", "# moves\n");
             writeFile(p / "-w-new" / "s.jsonl", "theirs\n");
         },
         "The destination already holds a file with the same name: THREADHOP-MOVES.md, s.jsonl. Nothing was moved."},
        {"/w/new",
         [](const fs::path& p) {
             fs::rename(p / "-w-old", p / "-real");
             fs::create_directory_symlink(p / "-real", p / "-w-old");
         },
         "The conversation folder {projects}/-w-old is a symbolic link; only a real folder can be migrated."},
        {"/w/new",
         [](const fs::path& p) {
             fs::create_directories(p / "-elsewhere");
             fs::create_directory_symlink(p / "-elsewhere", p / "-w-new");
         },
         "The destination {projects}/-w-new is a symbolic link; only a real folder can be migrated."},
        {"/w/new", [](const fs::path& p) { writeFile(p / "-w-new", "a plain file"); },
         "The destination {projects}/-w-new is not a folder."},
        {"/w/new", [](const fs::path& p) { writeFile(p / "-w-old" / "caf\xE9.jsonl", "{}\n"); },
         "The name caf\uFFFD.jsonl in {projects}/-w-old is not valid UTF-8 text, which the history file cannot hold. "
         "Rename it, then migrate."},
        {"/w/new",
         [](const fs::path& p) { writeFile(p.parent_path() / "sessions" / "1.json", liveRecord(getpid(), "s")); },
         "The conversation s is still open in Claude Code (process {pid}). Quit it there before migrating, or the "
         "lines it writes would be lost."},
        // Present only through its side folder (its transcript not written yet): still open.
        {"/w/new",
         [](const fs::path& p) {
             writeFile(p / "-w-old" / "t" / "subagents" / "agent.jsonl", "{}\n");
             writeFile(p.parent_path() / "sessions" / "1.json", liveRecord(getpid(), "t"));
         },
         "The conversation t is still open in Claude Code (process {pid}). Quit it there before migrating, or the "
         "lines it writes would be lost."},
        {"/w/new", [](const fs::path& p) { fs::remove_all(p / "-w-old"); },
         "Conversation folder does not exist: {projects}/-w-old"},
        {"", nothing, "The old or new path is empty."},
        {"/w/caf\xE9", nothing,
         "The old or new directory is not valid UTF-8 text, which the transcripts and the history file cannot hold."},
    };
    for (const auto& [newCwd, arrange, text] : refusals) {
        fs::remove_all(home() / ".claude");
        transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
        arrange(projects());
        const std::string reason =
            replaced(replaced(text, "{projects}", projects().string()), "{pid}", std::to_string(getpid()));
        SCOPED_TRACE(reason);
        const auto request = input("-w-old", "/w/old", newCwd);
        const auto before = snapshot(projects());
        EXPECT_EQ(ConversationMigrator::preview(request).blockedReason, reason);
        EXPECT_EQ(failure(request), reason);
        EXPECT_EQ(thrown<MigrationError>([&] { ConversationMigrator::dryRun(request); }), reason);
        EXPECT_EQ(snapshot(projects()), before);
        EXPECT_FALSE(fs::exists(backupOf("-w-old")));
        EXPECT_TRUE(MigrationAudit::records().empty());
    }
}

TEST_F(MigrationSafetyTest, AStepThatFailsPutsTheBytesBackAndIsRecorded)
{
    // The sentence the user is shown is the record's: the step, the folder, and where the files are.
    const std::string full = std::make_error_code(std::errc::no_space_on_device).message();
    const std::string denied = std::make_error_code(std::errc::permission_denied).message();
    const std::string inOld = " in " + (projects() / "-w-old").string();
    const std::string back = ". Nothing was applied; every file is back where it started.";
    const std::string nothingMoved = " — nothing was moved; every file is back where it started.";
    const struct {
        std::set<int> failingMoves;
        std::errc error;
        bool merge, diskFillsAtB;
        std::string message;
    } cases[] = {
        {{1}, std::errc::permission_denied, false, false, "Rename failed: " + denied + inOld + back},
        {{}, std::errc::no_space_on_device, false, true, "Rewrite failed: " + full + inOld + back},
        {{2}, std::errc::no_space_on_device, true, false, "Rename failed: " + full + inOld + nothingMoved},
    };
    for (const auto& [failingMoves, error, merge, diskFillsAtB, message] : cases) {
        SCOPED_TRACE(message);
        fs::remove_all(home());
        oldProject(merge);
        const auto before = snapshot(projects());
        const Hook disk(Hook::Moment::beforeRename, [&](const fs::path& file) {
            if (diskFillsAtB && file.filename() == "b.jsonl")
                throw fs::filesystem_error("cannot write", file, std::make_error_code(error));
        });
        EXPECT_EQ(thrown<MigrationError>(
                      [&] { ConversationMigrator::migrate(input(), stamp, failingAt(failingMoves, error)); }),
                  message);
        EXPECT_EQ(snapshot(projects()), before);
        const auto record = onlyRecord();
        EXPECT_EQ(std::tie(record.success, record.backupPath, record.message),
                  std::tuple(false, backupOf("-w-old"), message));
    }

    // A destination the user may not write into refuses the merge: that is the folder named.
    fs::remove_all(home());
    oldProject(true);
    const fs::path destination = projects() / "-w-new";
    const auto before = snapshot(projects());
    fs::permissions(destination, writable, fs::perm_options::remove);
    const std::string message = "Rename failed: " + denied + " in " + destination.string() + nothingMoved;
    EXPECT_EQ(
        asUnprivilegedUser(
            home(), [&] { return thrown<MigrationError>([&] { ConversationMigrator::migrate(input(), stamp); }); }),
        message);
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_EQ(onlyRecord().message, message);
}

TEST_F(MigrationSafetyTest, WhatTheDiskRefusesBeforeAnyChangeIsToldInOurOwnWords)
{
    oldProject();
    conversation(line(u1, ""));
    transcript("-w-x", "x.jsonl", cwdLine("/w/x"));
    const auto restorable = ConversationMigrator::migrate(input("-w-x", "/w/x", "/w/y"), stamp);
    const fs::path pending = AppPaths::supportDir() / "pending";
    const std::vector<std::function<void()>> operations{
        [&] { ConversationMigrator::migrate(input(), stamp); },
        [&] { RestoreManager::restore(restorable, projects(), stamp, MigrationAudit::records()); },
        [&] { AccountMover::move(accountMove(MoveMode::fork), stamp); },
    };
    // Something in the way of the notes' folder.
    fs::remove_all(pending);
    writeFile(pending, "not a folder");
    const auto before = homeFiles();
    for (const auto& operation : operations) {
        EXPECT_EQ(thrown<UserError>(operation),
                  "Threadhop could not write its note of the operation in " + pending.string()
                      + ": Not a directory. Nothing was changed.");
        EXPECT_TRUE(homeFiles() == before);
    }
    fs::remove(pending);
    // And in the way of the backups' folder.
    const fs::path backups = AppPaths::supportDir() / "backups";
    fs::remove_all(backups);
    writeFile(backups, "not a folder");
    const std::string archiving =
        "Backup failed: Threadhop could not archive " + (projects() / "-w-old").string() + ", so nothing was changed. ";
    const fs::path support = AppPaths::supportDir();
    EXPECT_EQ(thrown<MigrationError>(operations[0]), archiving + "Not a directory in " + support.string() + ".");

    // A support folder the user may not write into, where the locks' and the backups' folders are
    // still to be made: the folder that refused and why, rather than a file that is missing.
    fs::remove(backups);
    fs::remove_all(support / "locks");
    fs::permissions(support, writable, fs::perm_options::remove);
    const std::string denied = std::make_error_code(std::errc::permission_denied).message() + " in " + support.string();
    EXPECT_EQ(asUnprivilegedUser(home(),
                                 [&] {
                                     return thrown<UserError>(operations[0]) + "\n" + thrown<MigrationError>([&] {
                                                BackupArchiver::backup(projects() / "-w-old", stamp, Uuid::random());
                                            });
                                 }),
              "Threadhop could not lock this account's conversations (" + denied + "), so it changed nothing.\n"
                  + archiving + denied + ".");
}

TEST_F(MigrationSafetyTest, WhatCannotBePutBackIsNamedWithTheArchive)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old") + hiddenOldCwd);
    // The rename back after the failed verification fails: the folder stays under its new name,
    // but its transcript still gets its bytes back there.
    failure(input(), failingAt({2}, std::errc::io_error));
    EXPECT_EQ(readFile(projects() / "-w-new" / "s.jsonl"), cwdLine("/w/old") + hiddenOldCwd);
    const auto record = onlyRecord();
    EXPECT_EQ(record.movedEntryNames, std::vector<std::string>{"-w-new"});
    EXPECT_EQ(record.message,
              "Verification failed: 1 old references remain. 1 item(s) could not be put back and are "
              "still in -w-new: -w-new. The folder was archived before this started: "
                  + backupOf("-w-old") + ".");

    // A transcript whose folder vanished meanwhile cannot get its bytes back: the record says so.
    fs::remove_all(projects());
    transcript("-w-old", "a/subagents/agent.jsonl", cwdLine("/w/old"));
    transcript("-w-old", "b.jsonl", cwdLine("/w/old") + hiddenOldCwd);
    const Hook vanish(Hook::Moment::beforeRename, [&](const fs::path& file) {
        if (file.filename() == "b.jsonl")
            fs::rename(projects() / "-w-old" / "a", projects() / "moved-away");
    });
    failure(input());
    const auto history = MigrationAudit::records();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].message,
              "Verification failed: 1 old references remain. The files are back in -w-old, but 1 "
              "file(s) still hold the rewritten text: a/subagents/agent.jsonl. The folder was "
              "archived before this started: "
                  + backupOf("-w-old") + ".");
}

TEST_F(MigrationSafetyTest, BackslashesInNamesSurviveTheArchiveAndTheRestore)
{
    // Claude Code names the folder of /srv/q"uote\back after it; a home folder may hold one too.
    const TempFolder odd;
    const fs::path oddHome = odd.path() / "back\\slash home";
    const ScopedHomeOverride home(oddHome);
    const fs::path root = oddHome / ".claude" / "projects";
    const std::string folder = "-srv-q\"uote\\back";
    const std::string transcriptText = "{\"cwd\":\"/srv/q\\\"uote\\\\back\"}\n";
    writeFile(root / folder / "s.jsonl", transcriptText);
    auto request = input(folder, "/srv/q\"uote\\back", "/srv/moved");
    request.projectsRoot = root;
    const auto record = ConversationMigrator::migrate(request, stamp);
    EXPECT_EQ(readFile(root / "-srv-moved" / "s.jsonl"), "{\"cwd\":\"/srv/moved\"}\n");

    RestoreManager::restore(record, root, "20240501-100000", MigrationAudit::records());
    EXPECT_EQ(readFile(root / folder / "s.jsonl"), transcriptText);
    EXPECT_FALSE(fs::exists(root / "-srv-moved"));
}

} // namespace
} // namespace threadhop::testing
