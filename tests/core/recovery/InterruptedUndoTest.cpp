// An undo stopped between any two of its moves, by a crash or by a move that fails, ends as it was
// before the undo (its migration still undoable) or as the finished undo with its record: never half.
#include "support/MigrationTest.h"

#include "core/migration/RestoreManager.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"
#include "core/recovery/OperationRecovery.h"

#include <fstream>

namespace threadhop::testing {
namespace {

using Outcome = OperationRecovery::Report::Outcome;
using Reports = std::vector<OperationRecovery::Report>;

class InterruptedUndoTest : public MigrationTest {
protected:
    enum class Shape { rename, merge, oldFolderBack };

    /// A migration of a fresh -w-old to /w/new of `shape`: a rename, a merge, or a rename after which a
    /// conversation was started in the old directory again.
    MigrationRecord migrated(Shape shape) const
    {
        fs::remove_all(home());
        oldProject(shape == Shape::merge);
        const auto record = ConversationMigrator::migrate(input(), stamp);
        if (shape == Shape::oldFolderBack)
            transcript("-w-old", "later.jsonl", cwdLine("/w/old"));
        return record;
    }

    MigrationRecord restore(const MigrationRecord& record,
                            const ConversationMigrator::EntryMove& move = AtomicFile::moveWithoutReplacing) const
    {
        return RestoreManager::restore(record, projects(), "20240502-100000", MigrationAudit::records(), move);
    }

    /// The projects as the finished undo of `record` leaves them (undone in a home of its own).
    Files undoneState(Shape shape) const
    {
        const auto record = migrated(shape);
        restore(record);
        return snapshot(projects());
    }
};

TEST_F(InterruptedUndoTest, AnUndoStoppedAtAnyStepIsPutBackOrFinished)
{
    for (const auto shape : {Shape::rename, Shape::merge, Shape::oldFolderBack}) {
        const Files undone = undoneState(shape);
        for (const auto step :
             {OperationStep::noted, OperationStep::setAside, OperationStep::restored, OperationStep::recorded}) {
            SCOPED_TRACE("shape " + std::to_string(static_cast<int>(shape)) + ", step "
                         + std::to_string(static_cast<int>(step)));
            const auto record = migrated(shape);
            const auto before = snapshot(projects());
            crashAt(step, [&] { restore(record); });
            const auto reports = OperationRecovery::run();
            if (step == OperationStep::recorded) {
                EXPECT_TRUE(reports.empty());
                EXPECT_EQ(snapshot(projects()), undone);
                EXPECT_EQ(MigrationAudit::records().front().revertsRecordId, record.id);
            } else {
                EXPECT_EQ(reports,
                          (Reports{{Outcome::undone,
                                    "An undo of -w-old was interrupted. Every file was "
                                    "put back as it was before it started."}}));
                EXPECT_EQ(snapshot(projects()), before);
                EXPECT_EQ(MigrationAudit::records().size(), 1u) << "no record: the migration stays undoable";
                EXPECT_EQ(RestoreManager::obstacle(record, projects(), MigrationAudit::records()), std::nullopt);
            }
            EXPECT_TRUE(PendingOperations::all().empty());
            EXPECT_EQ(leftovers(projects()), std::vector<std::string>{});
            EXPECT_TRUE(OperationRecovery::run().empty()); // told once
        }
    }
}

TEST_F(InterruptedUndoTest, AMoveThatFailsIsTakenBackAndChangesNothing)
{
    for (const auto shape : {Shape::rename, Shape::merge, Shape::oldFolderBack}) {
        // Every move of the undo in turn fails: out of the migrated folder, out of the old one, or in.
        for (int failing = 1;; ++failing) {
            SCOPED_TRACE("shape " + std::to_string(static_cast<int>(shape)) + ", move " + std::to_string(failing));
            const auto record = migrated(shape);
            const auto before = snapshot(projects());
            const auto moves = std::make_shared<int>(0);
            const ConversationMigrator::EntryMove failingMove = [&, moves](const fs::path& from, const fs::path& to) {
                if (++*moves == failing)
                    throw fs::filesystem_error("move", from, to, std::make_error_code(std::errc::io_error));
                AtomicFile::moveWithoutReplacing(from, to);
            };
            std::string failure;
            try {
                restore(record, failingMove);
            } catch (const MigrationError& error) {
                failure = error.what();
            }
            if (failure.empty()) {
                EXPECT_GT(failing, 3) << "the undo moves the three entries, then the old folder";
                break; // fewer moves than that: the undo went through
            }
            EXPECT_TRUE(failure.starts_with("Undo failed: a conversation could not be moved (Input/output error in ")
                        && failure.ends_with("). Nothing was changed."))
                << failure;
            EXPECT_EQ(snapshot(projects()), before);
            EXPECT_EQ(MigrationAudit::records().size(), 1u);
            EXPECT_TRUE(PendingOperations::all().empty());
            EXPECT_EQ(leftovers(home()), std::vector<std::string>{});
        }
    }
}

// The user resumed a restored conversation before Threadhop started again: the undo is left as it is.
TEST_F(InterruptedUndoTest, AConversationResumedSinceKeepsTheUndoWhereItIs)
{
    const auto record = migrated(Shape::rename);
    crashAt(OperationStep::restored, [&] { restore(record); });
    std::ofstream(projects() / "-w-old" / "b.jsonl", std::ios::app) << cwdLine("/w/old", ",\"resumed\":true");
    const auto after = snapshot(projects());
    const auto reports = OperationRecovery::run();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].outcome, Outcome::leftAlone);
    EXPECT_NE(reports[0].text.find("b.jsonl changed since"), std::string::npos) << reports[0].text;
    EXPECT_EQ(snapshot(projects()), after);
    EXPECT_TRUE(OperationRecovery::run().empty());
}

} // namespace
} // namespace threadhop::testing
