// The next start's recovery acts only on what it reads under the locks of the operation and of its
// accounts, tells a lock it cannot make instead of taking it for a busy one, and keeps every folder
// of kept files while a note that may name one cannot be read.
#include "support/MigrationTest.h"

#include "core/migration/BackupArchiver.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"
#include "core/recovery/OperationRecovery.h"

#include <chrono>
#include <future>
#include <thread>

namespace threadhop::testing {
namespace {

using Outcome = OperationRecovery::Report::Outcome;

class RecoveryLocksTest : public MigrationTest {
protected:
    /// Stops a migration of /w/<name> to /w/new at `step`, in the account whose projects folder is `root`.
    void migrationStoppedAt(OperationStep step, const fs::path& root, const std::string& name = "old") const
    {
        writeFile(root / ("-w-" + name) / "a.jsonl", cwdLine("/w/" + name));
        auto request = input("-w-" + name, "/w/" + name);
        request.projectsRoot = root;
        crashAt(step, [&] { ConversationMigrator::migrate(request, stamp); });
    }

    static bool waitFor(const fs::path& file)
    {
        for (int tries = 0; tries < 2000; ++tries) {
            if (fs::exists(file))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

// A second Threadhop starts while the first runs a migration. Its recovery lists that migration's
// note, is busy for a while putting back another interrupted operation, and meanwhile the migration
// finishes: it must not be undone with what was read before.
TEST_F(RecoveryLocksTest, AnOperationThatFinishesMeanwhileIsLeftAsItFinished)
{
    // An interrupted migration in the other account, whose note is looked at first.
    migrationStoppedAt(OperationStep::moved, targetProjects(), "other");
    auto interrupted = *PendingOperations::all().at(0).operation;
    PendingOperations::remove(interrupted);
    interrupted.recordId = *Uuid::parse("00000000-0000-4000-8000-000000000001");
    PendingOperations::write(interrupted);
    // Reading its backup back waits until the running migration is done.
    const fs::path extracting = home() / "extracting";
    const fs::path go = home() / "go";
    writeFile(home() / "tar",
              "#!/bin/sh\ncase \" $* \" in *\" -xzf \"*) touch '" + extracting.string() + "'; while [ ! -e '"
                  + go.string()
                  + "' ]; do sleep 0.01; done;; esac\n"
                    "exec /usr/bin/tar \"$@\"\n");
    fs::permissions(home() / "tar", fs::perms::owner_all);
    const BackupArchiver::ScopedPrograms programs(home() / "tar");

    oldProject();
    std::promise<void> noted;
    std::thread running([&] {
        OperationSteps::ScopedHook hook([&](OperationStep step) {
            if (step == OperationStep::noted)
                noted.set_value();
            if (step == OperationStep::verified) {
                EXPECT_TRUE(waitFor(extracting));
            }
        });
        ConversationMigrator::migrate(input(), stamp);
        writeFile(go, "");
    });
    noted.get_future().wait();
    const auto reports = OperationRecovery::run();
    running.join();

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text,
              "A migration of -w-other to -w-new was interrupted. Every file was put back as it "
              "was before it started.");
    const auto history = MigrationAudit::records();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(std::tuple(history[0].id, history[0].success), std::tuple(interrupted.recordId, false));
    EXPECT_TRUE(history[1].success) << "the finished migration keeps its one record";
    EXPECT_EQ(entries(projects()), std::vector<std::string>{"-w-new"});
    EXPECT_EQ(entries(targetProjects()), std::vector<std::string>{"-w-other"});
}

TEST_F(RecoveryLocksTest, ALockThatCannotBeMadeIsToldAndTheNextStartLooksAgain)
{
    migrationStoppedAt(OperationStep::moved, projects());
    const auto during = snapshot(projects());
    const fs::path locks = AppPaths::supportDir() / "locks";
    fs::remove_all(locks);
    writeFile(locks, "a file where the locks folder belongs");
    const auto reports = OperationRecovery::run();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(std::tie(reports[0].outcome, reports[0].text),
              std::tuple(Outcome::unchecked,
                         "Threadhop could not check for interrupted operations: it could not lock " + locks.string()
                             + " (Not a directory). It will look again at the next start."));
    EXPECT_EQ(snapshot(projects()), during);
    EXPECT_EQ(PendingOperations::all().size(), 1u);

    fs::remove(locks);
    EXPECT_EQ(OperationRecovery::run().at(0).outcome, Outcome::undone);
    EXPECT_EQ(entries(projects()), std::vector<std::string>{"-w-old"});
}

// The note that could tell whether a folder of kept originals still holds the only copy of a
// transcript cannot be read: the folder stays, and the report says where it is.
TEST_F(RecoveryLocksTest, FoldersOfKeptFilesStayWhileASetAsideNoteCannotBeRead)
{
    migrationStoppedAt(OperationStep::rewritten, projects());
    const auto note = PendingOperations::all().at(0);
    const fs::path kept = note.operation->migration().keptOriginals;
    writeFile(note.file, "{\"kind\": \"migration\", \"recordId\": ");
    const auto reports = OperationRecovery::run();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].outcome, Outcome::unreadable);
    EXPECT_NE(reports[0].text.find("Threadhop also keeps " + kept.string() + ", which may hold"), std::string::npos)
        << reports[0].text;
    EXPECT_TRUE(fs::exists(kept / "a.jsonl"));
    OperationRecovery::run();
    EXPECT_TRUE(fs::exists(kept / "a.jsonl")) << "while the note set aside is there";

    fs::remove(fs::path(note.file).replace_extension(".unreadable"));
    OperationRecovery::run();
    EXPECT_FALSE(fs::exists(kept));
}

} // namespace
} // namespace threadhop::testing
