// An operation stopped between any two of its steps, as a crash would stop it, is put right at the
// next start: undone to the last byte, or closed when its record was already written.
#include "support/MigrationTest.h"

#include "core/migration/RestoreManager.h"
#include "core/operations/AccountLock.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"
#include "core/recovery/OperationRecovery.h"

#include <fstream>

namespace threadhop::testing {
namespace {

using Outcome = OperationRecovery::Report::Outcome;
using Reports = std::vector<OperationRecovery::Report>;

class OperationRecoveryTest : public MigrationTest {
protected:
    void migrate() const { ConversationMigrator::migrate(input(), stamp); }

    /// Stops a migration of a fresh -w-old (a merge with `merge`) at `step`; the projects as they were.
    Files migrationStoppedAt(OperationStep step, bool merge = false) const
    {
        fs::remove_all(home());
        oldProject(merge);
        auto before = snapshot(projects());
        crashAt(step, [&] { migrate(); });
        return before;
    }

    void move() const { AccountMover::move(accountMove(MoveMode::fork), stamp); }

    /// Conversation `sessionId` in -w-app, and a target folder holding a conversation of its own.
    void arrangeMove() const
    {
        fs::remove_all(home());
        conversation(line(u1, "") + line(u2, u1));
        writeFile(targetProjects() / "-w-app" / "theirs.jsonl", "{}\n");
    }
};

TEST_F(OperationRecoveryTest, AMigrationStoppedAtAnyStepIsUndoneOrClosed)
{
    for (const bool merge : {false, true}) {
        for (const auto step : {OperationStep::noted, OperationStep::rewritten, OperationStep::moved,
                                OperationStep::verified, OperationStep::recorded}) {
            SCOPED_TRACE(std::string(merge ? "merge" : "rename") + ", step " + std::to_string(static_cast<int>(step)));
            const auto before = migrationStoppedAt(step, merge);
            // The record goes to the account whose folder was put right, whatever the note says.
            auto note = *PendingOperations::all().at(0).operation;
            note.accountId = "claude-work";
            PendingOperations::write(note);

            const auto reports = OperationRecovery::run();
            const auto history = MigrationAudit::records();
            ASSERT_EQ(history.size(), 1u);
            if (step == OperationStep::recorded) {
                EXPECT_TRUE(reports.empty());
                EXPECT_TRUE(history[0].success);
                EXPECT_FALSE(fs::exists(projects() / "-w-old"));
                EXPECT_EQ(readFile(projects() / "-w-new" / "a.jsonl"), cwdLine("/w/new") + cwdLine("/w/new/docs"));
            } else {
                EXPECT_EQ(reports,
                          (Reports{{Outcome::undone,
                                    "A migration of -w-old to -w-new was interrupted. "
                                    "Every file was put back as it was before it started."}}));
                EXPECT_EQ(snapshot(projects()), before);
                EXPECT_EQ(std::tie(history[0].accountId, history[0].success, history[0].backupPath, history[0].message),
                          std::tuple("claude", false, backupOf("-w-old"),
                                     "Threadhop stopped before this migration finished; at the next start "
                                     "every file was put back as it was before."));
            }
            EXPECT_TRUE(PendingOperations::all().empty());
            EXPECT_TRUE(leftovers(projects()).empty()) << leftovers(projects()).front();
            EXPECT_TRUE(OperationRecovery::run().empty()); // told once
        }
    }
}

TEST_F(OperationRecoveryTest, AMigrationStoppedHalfWayThroughItsRewriteIsUndone)
{
    oldProject();
    const auto before = snapshot(projects());
    AtomicFile::ScopedReplaceHook hook(AtomicFile::ScopedReplaceHook::Moment::beforeRename, [](const fs::path& file) {
        if (file.filename() == "b.jsonl")
            throw SimulatedCrash{};
    });
    EXPECT_THROW(migrate(), SimulatedCrash);
    ASSERT_NE(readFile(projects() / "-w-old" / "a.jsonl"), before.at("-w-old/a.jsonl")); // half rewritten
    EXPECT_EQ(OperationRecovery::run().size(), 1u);
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_TRUE(leftovers(projects()).empty());
}

TEST_F(OperationRecoveryTest, WhatAnotherThreadhopRunsIsLeftAlone)
{
    migrationStoppedAt(OperationStep::moved);
    const auto notes = PendingOperations::all();
    ASSERT_EQ(notes.size(), 1u);
    const auto during = snapshot(projects());
    const fs::path halfWrittenNote = AppPaths::supportDir() / "pending"
        / ("." + notes[0].operation->recordId.upperText() + ".json.threadhop-0b0e8a5e-5d29-4a39-9a0e-5b2f7e2f3a11");
    writeFile(halfWrittenNote, "{");
    {
        // As its process would hold it.
        const auto running = PendingOperations::Lock::tryTake(notes[0].operation->recordId);
        ASSERT_TRUE(running);
        EXPECT_TRUE(OperationRecovery::run().empty());
        EXPECT_EQ(snapshot(projects()), during);
        EXPECT_EQ(PendingOperations::all().size(), 1u);
        EXPECT_TRUE(fs::exists(halfWrittenNote));
    }
    {
        // Another operation on the same account: the note waits for it.
        const AccountLock busy({projects()});
        EXPECT_TRUE(OperationRecovery::run().empty());
        EXPECT_EQ(snapshot(projects()), during);
    }
    EXPECT_FALSE(fs::exists(halfWrittenNote));
}

// The user resumed the conversation in the new place, or started one there, before Threadhop started again.
TEST_F(OperationRecoveryTest, FilesThatChangedOrAppearedSinceKeepTheMigrationWhereItIs)
{
    const std::pair<std::function<void()>, std::string> changes[] = {
        {[&] { std::ofstream(projects() / "-w-new" / "b.jsonl", std::ios::app) << cwdLine("/w/new", ",\"r\":1"); },
         "b.jsonl changed since"},
        {[&] { transcript("-w-new", "new.jsonl", cwdLine("/w/new")); }, "new.jsonl appeared since"},
    };
    for (const auto& [change, problem] : changes) {
        migrationStoppedAt(OperationStep::moved);
        change();
        const auto after = snapshot(projects());
        EXPECT_EQ(
            OperationRecovery::run(),
            (Reports{{Outcome::leftAlone,
                      "A migration of -w-old to -w-new was interrupted, and its files cannot be put back "
                      "safely ("
                          + problem + "), so Threadhop left them as they are. The backup taken before it started is "
                          + backupOf("-w-old") + "."}}));
        EXPECT_EQ(snapshot(projects()), after);
        EXPECT_TRUE(MigrationAudit::records().empty());
        EXPECT_EQ(PendingOperations::all().size(), 1u); // the note stays
        EXPECT_TRUE(OperationRecovery::run().empty());
    }
}

TEST_F(OperationRecoveryTest, WorkFoldersNoNoteNamesAndUnfinishedArchivesGoWhenNobodyIsBusyWithThem)
{
    oldProject();
    const auto id = [](int n) { return "0b0e8a5e-5d29-4a39-9a0e-5b2f7e2f3a1" + std::to_string(n); };
    for (const std::string prefix : {".threadhop-originals-", ".threadhop-staging-", ".threadhop-recovery-"})
        transcript(prefix + id(1), "a.jsonl", "a copy");
    transcript(".threadhop-originals-mine", "a.jsonl", "not ours");
    const TempFolder outside;
    writeFile(outside.path() / "a.jsonl", "outside");
    fs::create_directory_symlink(outside.path(), projects() / (".threadhop-staging-" + id(2)));
    // A note set aside keeps what it names for whoever looks into it.
    PendingOperation setAside{.recordId = *Uuid::parse(id(3)),
                              .job = PendingMigration{.keptOriginals = projects() / (".threadhop-originals-" + id(3))}};
    transcript(".threadhop-originals-" + id(3), "a.jsonl", "kept");
    PendingOperations::write(setAside);
    PendingOperations::setAside(AppPaths::supportDir() / "pending" / (setAside.recordId.upperText() + ".json"));

    const auto archive = [](const std::string& name) { return AppPaths::backupsDir() / name; };
    for (const std::string& name :
         {std::string("-w-old-s.tar.gz"), ".-w-old-s.tar.gz.threadhop-" + id(4), ".-w-old-t.tar.gz.threadhop-" + id(5)})
        writeFile(archive(name), "gzip");
    const auto before = snapshot(projects());
    {
        const AccountLock busy({projects()});
        const PendingOperations::Lock archiving(*Uuid::parse(id(5)));
        EXPECT_TRUE(OperationRecovery::run().empty());
        EXPECT_EQ(snapshot(projects()), before);
        EXPECT_EQ(entries(AppPaths::backupsDir()),
                  (std::vector<std::string>{"-w-old-s.tar.gz", ".-w-old-t.tar.gz.threadhop-" + id(5)}));
    }
    OperationRecovery::run();
    EXPECT_EQ(entries(projects()),
              (std::vector<std::string>{"-w-old", ".threadhop-originals-" + id(3), ".threadhop-originals-mine"}));
    EXPECT_EQ(entries(outside.path()), std::vector<std::string>{"a.jsonl"});
    EXPECT_EQ(entries(AppPaths::backupsDir()), std::vector<std::string>{"-w-old-s.tar.gz"});
}

// Kept originals that are gone, or one that is a link (which could lead anywhere), are not moved in:
// the backup gives the bytes back.
TEST_F(OperationRecoveryTest, WithoutItsKeptOriginalsAMigrationIsUndoneFromItsBackup)
{
    const TempFolder outside;
    writeFile(outside.path() / "a.jsonl", "outside\n");
    for (const bool linked : {false, true}) {
        const auto before = migrationStoppedAt(OperationStep::rewritten);
        const fs::path kept = PendingOperations::all().at(0).operation->migration().keptOriginals;
        if (linked) {
            fs::remove(kept / "a.jsonl");
            fs::create_symlink(outside.path() / "a.jsonl", kept / "a.jsonl");
        } else {
            fs::remove_all(kept);
        }
        EXPECT_EQ(OperationRecovery::run().at(0).outcome, Outcome::undone);
        EXPECT_EQ(snapshot(projects()), before);
    }
    EXPECT_EQ(snapshot(outside.path()), (Files{{"a.jsonl", "outside\n"}}));
}

// A subfolder of the migrated folder replaced by a link since, even to a copy of exactly what the
// migration left: nothing is read or written through it.
TEST_F(OperationRecoveryTest, ASubfolderReplacedByALinkKeepsTheMigrationWhereItIs)
{
    const TempFolder outside;
    migrationStoppedAt(OperationStep::moved);
    const fs::path subagents = projects() / "-w-new" / "a" / "subagents";
    fs::copy(subagents, outside.path(), fs::copy_options::recursive);
    fs::remove_all(subagents);
    fs::create_directory_symlink(outside.path(), subagents);
    const auto before = snapshot(outside.path());
    const auto reports = OperationRecovery::run();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].outcome, Outcome::leftAlone);
    EXPECT_NE(reports[0].text.find("a/subagents/agent.jsonl changed since"), std::string::npos) << reports[0].text;
    EXPECT_EQ(snapshot(outside.path()), before);
    EXPECT_TRUE(fs::is_symlink(subagents));
}

// A crafted note's originals folder holding a second name of another file: that file is no original
// of the transcript, so it is never put over it.
TEST_F(OperationRecoveryTest, AKeptOriginalThatDoesNotBeginWithItsBackupLeavesTheMigrationAlone)
{
    const TempFolder outside;
    writeFile(outside.path() / "secret", "not a conversation\n");
    migrationStoppedAt(OperationStep::rewritten);
    const fs::path kept = PendingOperations::all().at(0).operation->migration().keptOriginals;
    fs::remove(kept / "a.jsonl");
    fs::create_hard_link(outside.path() / "secret", kept / "a.jsonl");
    const auto during = snapshot(projects() / "-w-old");
    const auto reports = OperationRecovery::run();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].outcome, Outcome::leftAlone);
    EXPECT_NE(reports[0].text.find("a.jsonl's kept original does not begin with its backup"), std::string::npos)
        << reports[0].text;
    EXPECT_EQ(snapshot(projects() / "-w-old"), during);
    EXPECT_EQ(readFile(outside.path() / "secret"), "not a conversation\n");
}

TEST_F(OperationRecoveryTest, NotesWithTheKeysOfBothKindsAreReadAsTheKindTheyName)
{
    // As every note was written before the two kinds kept fields of their own.
    const std::string id = "0B0E8A5E-5D29-4A39-9A0E-5B2F7E2F3A11";
    writeFile(AppPaths::supportDir() / "pending" / (id + ".json"),
              R"({"kind": "accountMove", "recordId": ")" + id + R"(", "accountId": "claude", "oldCwd": "/w/app",
                  "newCwd": "/w/app", "oldFolder": "-w-app", "newFolder": "-w-app", "archive": "/b/a.tar.gz",
                  "reported": true, "projectsRoot": "/h/.claude/projects", "rewriteHistory": false,
                  "keptOriginals": "", "targetAccountId": "claude-work", "moveMode": "fork",
                  "staging": "/h/.claude-work/projects/.threadhop-staging-x", "targetFolder": "/h/.claude-work/projects/-w-app",
                  "createsTargetFolder": true, "placed": [{"path": "/h/.claude-work/projects/-w-app/n.jsonl",
                  "sizeBytes": 12, "modifiedNanoseconds": 34}]})");
    EXPECT_EQ(
        PendingOperations::all().at(0).operation,
        (PendingOperation{.recordId = *Uuid::parse(id),
                          .accountId = "claude",
                          .oldCwd = "/w/app",
                          .newCwd = "/w/app",
                          .oldFolder = "-w-app",
                          .newFolder = "-w-app",
                          .archive = "/b/a.tar.gz",
                          .reported = true,
                          .projectsRoot = "/h/.claude/projects",
                          .job = PendingAccountMove{.targetAccountId = "claude-work",
                                                    .moveMode = "fork",
                                                    .staging = "/h/.claude-work/projects/.threadhop-staging-x",
                                                    .targetFolder = "/h/.claude-work/projects/-w-app",
                                                    .createsTargetFolder = true,
                                                    .placed = {{"/h/.claude-work/projects/-w-app/n.jsonl", 12, 34}}}}));
}

TEST_F(OperationRecoveryTest, ANoteThatCannotBeReadIsSetAsideAndToldOnce)
{
    writeFile(AppPaths::supportDir() / "pending" / "00000000-0000-4000-8000-000000000000.json", "{\"kind\":");
    const auto reports = OperationRecovery::run();
    EXPECT_EQ(std::tuple(reports.size(), reports.at(0).outcome), std::tuple(1u, Outcome::unreadable));
    EXPECT_TRUE(OperationRecovery::run().empty());
    EXPECT_TRUE(fs::exists(AppPaths::supportDir() / "pending" / "00000000-0000-4000-8000-000000000000.unreadable"));
}

TEST_F(OperationRecoveryTest, OurTemporaryFilesGoAtTheNextOperationOnTheFolder)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    transcript("-w-old", ".s.jsonl.threadhop-0b0e8a5e-5d29-4a39-9a0e-5b2f7e2f3a11", "half a rewrite");
    transcript("-w-old", ".notes.threadhop", "not ours");
    migrate();
    EXPECT_EQ(entries(projects() / "-w-new"), (std::vector<std::string>{".notes.threadhop", "s.jsonl"}));
}

// A note damaged on the disk, or written by another version, makes recovery touch nothing: not a
// folder outside the home, not the account's own folders. The note is set aside, and the report
// names the path it refused.
class DamagedNoteTest : public OperationRecoveryTest {
protected:
    using Damage = std::function<std::string(PendingOperation&)>; // returns the path to be refused

    void SetUp() override
    {
        writeFile(outside.path() / "-w-new" / "a.jsonl", "outside\n");
        writeFile(outside.path() / "-w-app" / "keep.jsonl", "outside\n");
        writeFile(outside.path() / "projects" / "-w-new" / "b.jsonl", cwdLine("/w/new"));
    }

    void expectRefused(OperationStep crashStep, const std::function<void()>& operation, const Damage& damage)
    {
        crashAt(crashStep, operation);
        auto note = *PendingOperations::all().at(0).operation;
        const std::string refused = damage(note);
        PendingOperations::write(note);
        const auto outsideBefore = snapshot(outside.path());
        const auto homeBefore = userFiles();

        const auto reports = OperationRecovery::run();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].outcome, Outcome::refused) << reports[0].text;
        EXPECT_NE(reports[0].text.find("names " + refused + ", "), std::string::npos) << reports[0].text;
        EXPECT_TRUE(snapshot(outside.path()) == outsideBefore);
        EXPECT_TRUE(userFiles() == homeBefore);
        EXPECT_TRUE(PendingOperations::all().empty());
        const auto aside = PendingOperations::setAsideNotes();
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(aside[0].operation, note);
        EXPECT_TRUE(OperationRecovery::run().empty()); // told once
    }

    // The conversations, the history and the backups. (Recovery reads and takes Threadhop's notes
    // and locks, and removes work folders that no note names: a damaged one names none.)
    Files userFiles() const
    {
        auto files = snapshot(home());
        std::erase_if(files, [](const auto& file) {
            const std::string& name = file.first;
            const bool ours = name.starts_with(".local/share/Threadhop/") && !name.ends_with("/audit.json")
                && name.find("/Threadhop/backups/") == std::string::npos;
            return ours || name.find("/.threadhop-") != std::string::npos;
        });
        return files;
    }

    void migrateTo(OperationStep step, const Damage& damage)
    {
        fs::remove_all(home());
        oldProject();
        expectRefused(
            step, [&] { migrate(); }, damage);
    }

    void moveTo(const Damage& damage)
    {
        arrangeMove();
        expectRefused(
            OperationStep::placed, [&] { move(); }, damage);
    }

    void undoTo(const Damage& damage)
    {
        fs::remove_all(home());
        oldProject();
        const auto record = ConversationMigrator::migrate(input(), stamp);
        expectRefused(
            OperationStep::setAside,
            [&] { RestoreManager::restore(record, projects(), stamp, MigrationAudit::records()); }, damage);
    }

    TempFolder outside;
};

TEST_F(DamagedNoteTest, AMigrationNoteNamingAnythingOutsideItsAccountIsSetAside)
{
    const fs::path out = outside.path();
    migrateTo(OperationStep::moved, [&](PendingOperation& note) {
        fs::copy(projects(), out / "projects", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        note.projectsRoot = (out / "projects").string();
        return note.projectsRoot;
    });
    migrateTo(OperationStep::moved, [&](PendingOperation& note) {
        note.projectsRoot += "/../projects";
        return note.projectsRoot;
    });
    migrateTo(OperationStep::moved, [&](PendingOperation& note) { return note.oldFolder = "../../../x"; });
    migrateTo(OperationStep::moved, [&](PendingOperation& note) {
        note.migration().mergedEntries = std::vector<std::string>{"a.jsonl", "../b.jsonl"};
        return "../b.jsonl";
    });
    // The migrator refuses a linked project folder; recovery must not write through one either.
    migrateTo(OperationStep::moved, [&](PendingOperation&) {
        fs::remove_all(out / "-w-new");
        fs::rename(projects() / "-w-new", out / "-w-new");
        fs::create_directory_symlink(out / "-w-new", projects() / "-w-new");
        return (projects() / "-w-new").string();
    });
    migrateTo(OperationStep::rewritten, [&](PendingOperation& note) {
        const fs::path& kept = note.migration().keptOriginals;
        fs::rename(kept, out / "kept");
        fs::create_directory_symlink(out / "kept", kept);
        writeFile(out / "kept" / "a.jsonl", "outside\n");
        return kept.string();
    });
    // Even once the record is in the history, the note's folders are only removed where they belong.
    for (const auto step : {OperationStep::rewritten, OperationStep::recorded}) {
        migrateTo(step, [&](PendingOperation& note) { return (note.migration().keptOriginals = out).string(); });
        migrateTo(step, [&](PendingOperation& note) {
            return (note.migration().keptOriginals = projects() / ".threadhop-originals-mine").string();
        });
    }
    migrateTo(OperationStep::moved, [&](PendingOperation& note) { return (note.archive = out / "a.tar.gz").string(); });
}

TEST_F(DamagedNoteTest, AnAccountMoveNoteNamingAnythingOutsideItsTargetIsSetAside)
{
    const fs::path out = outside.path();
    moveTo([&](PendingOperation& note) { return (note.accountMove().staging = out / "-w-app").string(); });
    moveTo([&](PendingOperation& note) {
        auto& move = note.accountMove();
        return (move.placed.at(0).path = move.targetFolder / ".." / "theirs.jsonl").string();
    });
    moveTo([&](PendingOperation& note) {
        const fs::path& target = note.accountMove().targetFolder;
        fs::rename(target, out / "-w-app" / "target");
        fs::create_directory_symlink(out / "-w-app" / "target", target);
        return target.string();
    });
    moveTo([&](PendingOperation& note) { return (note.accountMove().targetFolder = out / "-w-app").string(); });
    moveTo([&](PendingOperation& note) { return note.accountMove().targetAccountId = "claude-gone"; });
    // Taking a "copy" out of the account it came from would take out the conversation itself.
    moveTo([&](PendingOperation& note) { return note.accountMove().targetAccountId = "claude"; });
}

TEST_F(DamagedNoteTest, AnUndoNoteNamingAnythingOutsideItsFoldersIsSetAside)
{
    const fs::path out = outside.path();
    undoTo([&](PendingOperation& note) { return note.restore().takenOut.emplace_back("../../x"); });
    undoTo([&](PendingOperation& note) { return note.restore().broughtIn.emplace_back("a/../../x"); });
    undoTo([&](PendingOperation& note) { return (note.restore().replaced = out / "-w-new").string(); });
    undoTo([&](PendingOperation& note) { return (note.restore().extracted = projects() / "-w-new").string(); });
    undoTo([&](PendingOperation& note) {
        return (note.restore().placed.at(0).path = out / "-w-new" / "a.jsonl").string();
    });
}

using AccountMoveRecoveryTest = OperationRecoveryTest;

TEST_F(AccountMoveRecoveryTest, AMoveStoppedAtAnyStepIsTakenBackOrClosed)
{
    for (const auto step :
         {OperationStep::noted, OperationStep::copied, OperationStep::placed, OperationStep::recorded}) {
        SCOPED_TRACE("step " + std::to_string(static_cast<int>(step)));
        arrangeMove();
        // At the last step before the record, the move has created the target folder itself.
        if (step == OperationStep::placed)
            fs::remove_all(targetProjects() / "-w-app");
        const auto sourceBefore = snapshot(projects());
        const auto targetBefore = snapshot(targetProjects());
        const auto targetFoldersBefore = entries(targetProjects());
        crashAt(step, [&] { move(); });

        const auto reports = OperationRecovery::run();
        const auto history = MigrationAudit::records();
        ASSERT_EQ(history.size(), 1u);
        auto source = snapshot(projects());
        if (step == OperationStep::recorded) {
            // Killed before it wrote its moves notes: the next start writes them, once.
            EXPECT_NE(source["-w-app/THREADHOP-MOVES.md"].find("moved out"), std::string::npos);
            EXPECT_NE(readFile(targetProjects() / "-w-app" / "THREADHOP-MOVES.md").find("arrived"), std::string::npos);
            source.erase("-w-app/THREADHOP-MOVES.md");
            EXPECT_EQ(source, sourceBefore);
            EXPECT_TRUE(reports.empty());
            EXPECT_TRUE(history[0].success);
            EXPECT_EQ(snapshot(targetProjects()).size(), targetBefore.size() + 4);
            const auto notes = snapshot(home());
            OperationRecovery::run();
            EXPECT_TRUE(snapshot(home()) == notes);
        } else {
            EXPECT_EQ(source, sourceBefore);
            EXPECT_EQ(reports,
                      (Reports{{Outcome::undone,
                                "A move of a conversation from claude to claude-work was "
                                "interrupted. The unfinished copy was taken out again."}}));
            EXPECT_EQ(snapshot(targetProjects()), targetBefore);
            EXPECT_EQ(entries(targetProjects()), targetFoldersBefore);
            EXPECT_EQ(std::tie(history[0].success, history[0].targetAccountId), std::tuple(false, "claude-work"));
        }
        EXPECT_TRUE(PendingOperations::all().empty());
        EXPECT_TRUE(leftovers(home()).empty()) << leftovers(home()).front();
    }
}

TEST_F(AccountMoveRecoveryTest, ACopyResumedSinceIsLeftAlone)
{
    using Change = std::function<void(const fs::path& copy)>;
    const Change resumes[] = {
        [](const fs::path& copy) { std::ofstream(copy, std::ios::app) << "{\"type\":\"user\",\"resumed\":true}\n"; },
        [](const fs::path& copy) {
            auto text = readFile(copy);
            text.back() = ' '; // the same size, other bytes
            writeFile(copy, text);
            setModified(copy, 1'700'000'000);
        },
        [](const fs::path& copy) {
            writeFile(copy.parent_path() / copy.stem() / "subagents" / "agent-2.jsonl", "{\"type\":\"user\"}\n");
        },
    };
    for (const auto& resume : resumes) {
        arrangeMove();
        crashAt(OperationStep::placed, [&] { move(); });
        const fs::path copy = PendingOperations::all().at(0).operation.value().accountMove().placed.at(0).path;
        ASSERT_EQ(copy.parent_path(), targetProjects() / "-w-app");
        ASSERT_EQ(copy.extension(), ".jsonl");
        resume(copy);
        const auto after = snapshot(targetProjects());
        const auto reports = OperationRecovery::run();
        EXPECT_EQ(std::tuple(reports.size(), reports.at(0).outcome), std::tuple(1u, Outcome::leftAlone));
        EXPECT_EQ(snapshot(targetProjects()), after);
    }
}

} // namespace
} // namespace threadhop::testing
