// A real process running a migration (a rename or a merge), an undo of either, or an account move over a real
// conversation is killed at random moments; after the next start's recovery, every transcript is either byte-identical
// to the state before or as the finished operation leaves it, with its record, and nothing of ours is left behind.
// THREADHOP_CRASH_RUNS sets the number of kills of each kind (scripts/crash-test runs many); THREADHOP_CRASH_SEED
// repeats the kills of a run, whose seed every run prints.
#include "core/accountmove/IdentityRewriter.h"
#include "core/accountmove/SessionCopier.h"
#include "core/editing/JSONLRewriter.h"
#include "core/migration/BackupArchiver.h"
#include "core/migration/RestoreManager.h"
#include "core/operations/AccountLock.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"
#include "core/recovery/OperationRecovery.h"
#include "support/ChildOperation.h"
#include "support/MigrationTest.h"

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

namespace threadhop::testing {
namespace {

constexpr const char* movedCwd = "/home/USER/moved/spotter-4te";
constexpr const char* movedFolder = "-home-USER-moved-spotter-4te";

int runsOfEachKind()
{
    const char* runs = std::getenv("THREADHOP_CRASH_RUNS");
    return runs ? std::max(1, std::atoi(runs)) : 4;
}

unsigned seedOfThisRun()
{
    const char* given = std::getenv("THREADHOP_CRASH_SEED");
    const unsigned seed = given ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : std::random_device{}();
    std::printf("THREADHOP_CRASH_SEED=%u\n", seed);
    return seed;
}

class KilledOperationTest : public MigrationTest {
protected:
    // A project folder holding the real session (with its subagents) and three more copies of it;
    // for a merge, the destination holds a conversation of its own.
    void arrange(const fs::path& home) const
    {
        if (m_destinationPopulated)
            writeFile(home / ".claude" / "projects" / movedFolder / "theirs.jsonl", cwdLine(movedCwd));
        const fs::path folder = home / ".claude" / "projects" / realFolder;
        copyRealSession(folder);
        const fs::path transcript = folder / (std::string(realSession) + ".jsonl");
        for (int copy = 1; copy <= 3; ++copy)
            fs::copy_file(transcript, folder / ("copy-" + std::to_string(copy) + ".jsonl"));
        fs::create_directories(home / ".claude-work" / "projects");
    }

    // Runs the child with `arguments` over a fresh home, kills it after a random one of `steps` (or
    // at once) a random moment later, runs the next start's recovery there and hands the home, the
    // projects as they were and the record of a finished operation to `check`.
    void killAndRecover(const std::vector<std::string>& arguments, const std::vector<OperationStep>& steps,
                        const std::function<void(const fs::path&, const Files&, const MigrationRecord*)>& check)
    {
        killAndRecover([&](const fs::path&) { return arguments; }, steps, check);
    }

    // The same, with the arguments made by `prepare` in the fresh home, before the child starts.
    void killAndRecover(const std::function<std::vector<std::string>(const fs::path& home)>& prepare,
                        const std::vector<OperationStep>& steps,
                        const std::function<void(const fs::path&, const Files&, const MigrationRecord*)>& check)
    {
        SCOPED_TRACE("THREADHOP_CRASH_SEED=" + std::to_string(m_seed));
        int finished = 0;
        for (int run = 0; run < runsOfEachKind(); ++run) {
            SCOPED_TRACE("run " + std::to_string(run));
            const TempFolder home;
            arrange(home.path());
            const auto arguments = prepare(home.path());
            const Files before = snapshot(home.path() / ".claude" / "projects");
            const std::size_t recordsBefore = [&] {
                const ScopedHomeOverride homeOverride(home.path());
                return MigrationAudit::records().size();
            }();
            std::vector<std::string> argv{THREADHOP_CRASH_CHILD, home.path().string()};
            argv.insert(argv.end(), arguments.begin(), arguments.end());
            ChildOperation child(argv);
            const std::size_t chosen = std::uniform_int_distribution<std::size_t>(0, steps.size())(m_random);
            if (chosen < steps.size())
                child.waitFor(std::to_string(static_cast<int>(steps[chosen])));
            const int pause = std::uniform_int_distribution<int>(0, 40000)(m_random);
            std::this_thread::sleep_for(std::chrono::microseconds(pause));
            child.kill();

            const ScopedHomeOverride homeOverride(home.path());
            OperationRecovery::run();
            const auto history = MigrationAudit::records();
            check(home.path(), before, !history.empty() && history[0].success ? &history[0] : nullptr);
            EXPECT_TRUE(PendingOperations::all().empty());
            EXPECT_EQ(leftovers(home.path()), std::vector<std::string>{});
            finished += history.size() > recordsBefore && history[0].success ? 1 : 0;
        }
        // Both ends must be reached for the kills to have tested anything.
        std::printf("%d of %d killed runs ended finished, the others as before\n", finished, runsOfEachKind());
    }

    // Every transcript is either as it was or moved and rewritten, and the destination's own stay.
    static void migratedOrAsItWas(const fs::path& home, const Files& before, const MigrationRecord* migrated)
    {
        Files expected;
        for (const auto& [name, content] : before) {
            expected[migrated ? replaced(name, realFolder, movedFolder) : name] = migrated
                ? JSONLRewriter::rewrittenText(content, realCwd, movedCwd, JSONLRewriter::Scope::sessionOnly)
                : content;
        }
        // Not EXPECT_EQ: printing megabytes of transcript would bury the failure.
        EXPECT_TRUE(snapshot(home / ".claude" / "projects") == expected);
    }

    // Migrates the real session in `home` as the child would, and gives the child's arguments for its undo.
    std::vector<std::string> migratedForUndo(const fs::path& home) const
    {
        const ScopedHomeOverride homeOverride(home);
        m_original = snapshot(home / ".claude" / "projects");
        const auto migration = ConversationMigrator::migrate({.accountId = "claude",
                                                              .projectsRoot = home / ".claude" / "projects",
                                                              .oldFolderName = realFolder,
                                                              .oldCwd = realCwd,
                                                              .newCwd = movedCwd,
                                                              .allowPopulatedDestination = true},
                                                             "20240430-080000");
        m_undone = migration.id;
        return {"restore", migration.id.upperText(), "-", "-"};
    }

    // Either the migration stands, undoable, or its undo is done with its record: then every transcript
    // is as it was before the migration.
    void undoneOrAsBefore(const fs::path& home, const Files& migrated, const MigrationRecord* reverting) const
    {
        // The newest record is the migration's own while the undo has none.
        if (!reverting || !reverting->revertsRecordId) {
            EXPECT_TRUE(snapshot(home / ".claude" / "projects") == migrated);
            return;
        }
        EXPECT_EQ(reverting->revertsRecordId, m_undone);
        EXPECT_TRUE(snapshot(home / ".claude" / "projects") == m_original);
    }

    const std::vector<OperationStep> migrationSteps{OperationStep::noted, OperationStep::rewritten,
                                                    OperationStep::moved, OperationStep::verified};
    const std::vector<OperationStep> undoSteps{OperationStep::noted, OperationStep::setAside, OperationStep::restored};
    bool m_destinationPopulated = false;
    mutable std::optional<Uuid> m_undone;
    mutable Files m_original; ///< the projects before the migration an undo undoes
    const unsigned m_seed = seedOfThisRun();
    std::mt19937 m_random{m_seed};
};

TEST_F(KilledOperationTest, AKilledMigrationEndsMigratedWithItsRecordOrAsItWas)
{
    killAndRecover({"migrate", realFolder, realCwd, movedCwd}, migrationSteps, migratedOrAsItWas);
}

TEST_F(KilledOperationTest, AKilledMergeEndsMergedWithItsRecordOrAsItWas)
{
    m_destinationPopulated = true;
    killAndRecover({"migrate", realFolder, realCwd, movedCwd}, migrationSteps, migratedOrAsItWas);
}

TEST_F(KilledOperationTest, AKilledUndoOfARenameEndsUndoneWithItsRecordOrAsBefore)
{
    killAndRecover([&](const fs::path& home) { return migratedForUndo(home); }, undoSteps,
                   [&](const fs::path& home, const Files& migrated, const MigrationRecord* reverting) {
                       undoneOrAsBefore(home, migrated, reverting);
                   });
}

TEST_F(KilledOperationTest, AKilledUndoOfAMergeEndsUndoneWithItsRecordOrAsBefore)
{
    m_destinationPopulated = true;
    killAndRecover([&](const fs::path& home) { return migratedForUndo(home); }, undoSteps,
                   [&](const fs::path& home, const Files& migrated, const MigrationRecord* reverting) {
                       undoneOrAsBefore(home, migrated, reverting);
                   });
}

TEST_F(KilledOperationTest, AKilledForkEndsWithAWholeForkAndItsRecordOrNoCopy)
{
    // The notes are written after the record, at their own pace.
    const std::string notes = std::string(realFolder) + "/THREADHOP-MOVES.md";
    killAndRecover({"fork", realFolder, realSession, realCwd},
                   {OperationStep::noted, OperationStep::copied, OperationStep::placed},
                   [&](const fs::path& home, const Files& before, const MigrationRecord* forked) {
                       const fs::path target = home / ".claude-work" / "projects";
                       Files copied = snapshot(target);
                       copied.erase(notes);
                       if (forked) {
                           ASSERT_TRUE(forked->newSessionId);
                           const auto layout = SessionCopier::layout(*forked->newSessionId, target / realFolder);
                           EXPECT_EQ(copied.size(), layout.allFiles.size());
                           const auto files = IdentityRewriter::identityFiles(layout.allFiles);
                           EXPECT_FALSE(IdentityRewriter::identityValues(files).contains(realSession));
                       } else {
                           EXPECT_TRUE(copied.empty());
                       }
                       Files source = snapshot(home / ".claude" / "projects");
                       source.erase(notes);
                       EXPECT_TRUE(source == before);
                   });
}

// Two operations on one account's conversations never run at once, in one process or in two: the
// second is refused before it changes anything.
using OneOperationAtATimeTest = MigrationTest;

TEST_F(OneOperationAtATimeTest, WhileAMigrationRunsEveryOtherOperationOnItsAccountIsRefused)
{
    transcript("-w-x", "x.jsonl", cwdLine("/w/x"));
    const auto earlier = ConversationMigrator::migrate(input("-w-x", "/w/x", "/w/y"), stamp);
    oldProject();
    conversation(line(u1, ""));
    std::string secondProcess;
    {
        OperationSteps::ScopedHook hook([&](OperationStep step) {
            if (step != OperationStep::rewritten)
                return;
            const auto during = homeFiles();
            ChildOperation second({THREADHOP_CRASH_CHILD, home().string(), "migrate", "-w-old", "/w/old", "/srv/p2"});
            secondProcess = second.output();
            EXPECT_EQ(thrown([&] { RestoreManager::restore(earlier, projects(), stamp, MigrationAudit::records()); }),
                      AccountLock::heldElsewhere);
            EXPECT_EQ(thrown([&] { AccountMover::move(accountMove(MoveMode::fork), stamp); }),
                      AccountLock::heldElsewhere);
            EXPECT_TRUE(homeFiles() == during);
        });
        ConversationMigrator::migrate(input("-w-old", "/w/old", "/srv/p1"), stamp);
    }
    EXPECT_EQ(secondProcess, "error: " + AccountLock::heldElsewhere + "\n");
    EXPECT_EQ(MigrationAudit::records().size(), 2u);
    EXPECT_EQ(readFile(projects() / "-srv-p1" / "b.jsonl"), cwdLine("/srv/p1/src") + "{\"type\":\"summary\"}\n");
    EXPECT_EQ(leftovers(home()), std::vector<std::string>{});
    EXPECT_EQ(entries(AppPaths::backupsDir()),
              (std::vector<std::string>{"-w-old-" + std::string(stamp) + ".tar.gz",
                                        "-w-x-" + std::string(stamp) + ".tar.gz"}));
}

// The start-up recovery holds the account while it puts an interrupted migration back: a second
// Threadhop that tries a migration meanwhile is told so, rather than that another window is at work.
TEST_F(OneOperationAtATimeTest, WhileTheRecoveryPutsAMigrationBackAnotherThreadhopIsToldSo)
{
    oldProject();
    struct Crash { };
    {
        const OperationSteps::ScopedHook crash([](OperationStep step) {
            if (step == OperationStep::rewritten)
                throw Crash{};
        });
        EXPECT_THROW(ConversationMigrator::migrate(input(), stamp), Crash);
    }
    // The recovery reads the archive back with tar, which lets the second Threadhop try first.
    const fs::path said = home() / "second.txt";
    writeFile(home() / "tar",
              "#!/bin/sh\n'" + std::string(THREADHOP_CRASH_CHILD) + "' '" + home().string()
                  + "' migrate -w-old /w/old /srv/p2 > '" + said.string() + "'\nexec /usr/bin/tar \"$@\"\n");
    fs::permissions(home() / "tar", fs::perms::owner_all);
    const BackupArchiver::ScopedPrograms tar(home() / "tar");
    EXPECT_EQ(OperationRecovery::run().size(), 1u);
    EXPECT_EQ(readFile(said), "error: " + AccountLock::heldByRecovery + "\n");
}

} // namespace
} // namespace threadhop::testing
