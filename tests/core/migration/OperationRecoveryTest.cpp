// An operation stopped between any two of its steps, as a crash would stop it, is put right at the
// next start: undone to the last byte, or closed when its record was already written.
#include "support/MigrationTest.h"

#include "core/migration/OperationRecovery.h"
#include "core/migration/OperationSteps.h"
#include "core/migration/PendingOperation.h"

#include <fstream>

namespace threadhop::testing {
namespace {

using Outcome = OperationRecovery::Report::Outcome;
using Reports = std::vector<OperationRecovery::Report>;

struct SimulatedCrash { };

class OperationRecoveryTest : public MigrationTest {
protected:
    void crashAt(OperationStep step, const std::function<void()>& operation) const
    {
        OperationSteps::ScopedHook hook([step](OperationStep reached) {
            if (reached == step)
                throw SimulatedCrash{};
        });
        EXPECT_THROW(operation(), SimulatedCrash);
    }

    void arrangeMigration(bool merge) const
    {
        fs::remove_all(home());
        oldProject(merge);
    }

    void migrate() const { ConversationMigrator::migrate(input(), stamp); }
};

TEST_F(OperationRecoveryTest, AMigrationStoppedAtAnyStepIsUndoneOrClosed)
{
    for (const bool merge : {false, true}) {
        for (const auto step : {OperationStep::noted, OperationStep::rewritten, OperationStep::moved,
                                OperationStep::verified, OperationStep::recorded}) {
            SCOPED_TRACE(std::string(merge ? "merge" : "rename") + ", step " + std::to_string(static_cast<int>(step)));
            arrangeMigration(merge);
            const auto before = snapshot(projects());
            crashAt(step, [&] { migrate(); });
            EXPECT_FALSE(PendingOperations::all().empty());

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
                EXPECT_EQ(std::tie(history[0].success, history[0].backupPath, history[0].message),
                          std::tuple(false, backupOf("-w-old"),
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
    arrangeMigration(false);
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

TEST_F(OperationRecoveryTest, WhatAnotherThreadhopRunsOrFilesThatChangedSinceAreLeftAlone)
{
    arrangeMigration(false);
    crashAt(OperationStep::moved, [&] { migrate(); });
    const auto notes = PendingOperations::all();
    ASSERT_EQ(notes.size(), 1u);
    const auto during = snapshot(projects());
    {
        // As its process would hold it.
        const auto running = PendingOperations::Lock::tryTake(notes[0].operation->recordId);
        ASSERT_TRUE(running);
        EXPECT_TRUE(OperationRecovery::run().empty());
        EXPECT_EQ(snapshot(projects()), during);
        EXPECT_EQ(PendingOperations::all().size(), 1u);
    }
    // The user resumed the conversation in the new place before Threadhop started again.
    std::ofstream(projects() / "-w-new" / "b.jsonl", std::ios::app) << cwdLine("/w/new", ",\"resumed\":true");
    const auto after = snapshot(projects());

    EXPECT_EQ(OperationRecovery::run(),
              (Reports{{Outcome::leftAlone,
                        "A migration of -w-old to -w-new was interrupted, and its files cannot be put back "
                        "safely (b.jsonl changed since), so Threadhop left them as they are. The backup taken "
                        "before it started is "
                            + backupOf("-w-old") + "."}}));
    EXPECT_EQ(snapshot(projects()), after);
    EXPECT_TRUE(MigrationAudit::records().empty());
    EXPECT_EQ(PendingOperations::all().size(), 1u); // the note stays
    EXPECT_TRUE(OperationRecovery::run().empty());
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

class AccountMoveRecoveryTest : public OperationRecoveryTest {
protected:
    void move() const { AccountMover::move(accountMove(MoveMode::fork), stamp); }

    void arrange() const
    {
        fs::remove_all(home());
        conversation(line(u1, "") + line(u2, u1));
        writeFile(targetProjects() / "-w-app" / "theirs.jsonl", "{}\n");
    }
};

TEST_F(AccountMoveRecoveryTest, AMoveStoppedAtAnyStepIsTakenBackOrClosed)
{
    for (const auto step :
         {OperationStep::noted, OperationStep::copied, OperationStep::placed, OperationStep::recorded}) {
        SCOPED_TRACE("step " + std::to_string(static_cast<int>(step)));
        arrange();
        const auto sourceBefore = snapshot(projects());
        const auto targetBefore = snapshot(targetProjects());
        crashAt(step, [&] { move(); });

        const auto reports = OperationRecovery::run();
        const auto history = MigrationAudit::records();
        ASSERT_EQ(history.size(), 1u);
        EXPECT_EQ(snapshot(projects()), sourceBefore);
        if (step == OperationStep::recorded) {
            EXPECT_TRUE(reports.empty());
            EXPECT_TRUE(history[0].success);
            EXPECT_EQ(snapshot(targetProjects()).size(), targetBefore.size() + 3);
        } else {
            EXPECT_EQ(reports,
                      (Reports{{Outcome::undone,
                                "A move of a conversation from claude to claude-work was "
                                "interrupted. The unfinished copy was taken out again."}}));
            EXPECT_EQ(snapshot(targetProjects()), targetBefore);
            EXPECT_EQ(std::tie(history[0].success, history[0].targetAccountId), std::tuple(false, "claude-work"));
        }
        EXPECT_TRUE(PendingOperations::all().empty());
        EXPECT_TRUE(leftovers(home()).empty()) << leftovers(home()).front();
    }
}

TEST_F(AccountMoveRecoveryTest, ACopyResumedSinceIsLeftAlone)
{
    arrange();
    crashAt(OperationStep::placed, [&] { move(); });
    const fs::path copy = PendingOperations::all().at(0).operation.value().placed.at(0).path;
    ASSERT_EQ(copy.parent_path(), targetProjects() / "-w-app");
    ASSERT_EQ(copy.extension(), ".jsonl");
    std::ofstream(copy, std::ios::app) << "{\"type\":\"user\",\"resumed\":true}\n";
    const auto after = snapshot(targetProjects());
    const auto reports = OperationRecovery::run();
    EXPECT_EQ(std::tuple(reports.size(), reports.at(0).outcome), std::tuple(1u, Outcome::leftAlone));
    EXPECT_EQ(snapshot(targetProjects()), after);
}

} // namespace
} // namespace threadhop::testing
