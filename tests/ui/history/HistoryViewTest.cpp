// The history window over a temporary home: records written by the real engine, restores through
// the window, and the ways a restore or the history file can go wrong.
#include "ui/history/HistoryRow.h"
#include "ui/history/HistoryView.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/window/RootView.h"
#include "ui/widgets/ElidedLabel.h"
#include "support/ui/FixtureHome.h"
#include "support/ui/TranscriptHome.h"
#include "support/ui/UiTest.h"

#include "core/migration/BackupArchiver.h"
#include "core/migration/ConversationMigrator.h"
#include "core/migration/MigrationAudit.h"
#include "core/migration/RestoreManager.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;
namespace fs = std::filesystem;

class HistoryViewTest : public testing::HomeTest {
protected:
    std::shared_ptr<std::vector<ClaudeAccount>> accounts
        = std::make_shared<std::vector<ClaudeAccount>>(std::vector<ClaudeAccount>{{.id = "claude", .label = "claude"}});
    std::unique_ptr<AppEnvironment> env;
    std::unique_ptr<RootView> window;

    fs::path projects() const { return home() / ".claude" / "projects"; }

    void SetUp() override
    {
        testing::writeFile(projects() / "-w-old" / "s.jsonl", testing::cwdLine("/w/old"));
        testing::writeFile(
            projects() / "-w-old" / "s" / "subagents" / "a.jsonl", testing::cwdLine("/w/old"));
        env = std::make_unique<AppEnvironment>(AppEnvironment::Discovery{
            .scanAccounts = [list = accounts] { return *list; },
            .indexProjects = AppEnvironment::Discovery::standard().indexProjects});
        window = std::make_unique<RootView>(*env);
        window->show();
        waitForScan();
    }

    void TearDown() override
    {
        waitForScan();
        window.reset();
        env.reset();
    }

    void waitForScan() { ASSERT_TRUE(testing::waitUntil([&] { return !env->isScanning(); })); }

    MigrationRecord migrate() const
    {
        return ConversationMigrator::migrate({.accountId = "claude",
                                                 .projectsRoot = projects(),
                                                 .oldFolderName = "-w-old",
                                                 .oldCwd = "/w/old",
                                                 .newCwd = "/w/new",
                                                 .allowPopulatedDestination = true},
            "20240501-093000");
    }

    HistoryView& openHistory()
    {
        child<QAction>(*window, u"historyAction"_s)->trigger();
        HistoryView* view = window->historyWindow();
        EXPECT_TRUE(view && view->isVisible());
        return *view;
    }

    static QList<HistoryRow*> rows(const HistoryView& view) { return view.findChildren<HistoryRow*>(); }
    static QPushButton* restoreButton(const HistoryRow& row) { return row.findChild<QPushButton*>(u"restoreButton"_s); }
    static QString reason(const HistoryRow& row)
    {
        const auto* label = row.findChild<QLabel*>(u"restoreReason"_s);
        return label ? label->text() : QString();
    }
    static QStringList badges(const HistoryRow& row)
    {
        QStringList texts;
        for (const QLabel* badge : row.findChildren<QLabel*>(u"badge"_s))
            texts.append(badge->text());
        return texts;
    }

    /// Presses "Restore" on the row and confirms.
    static void restore(HistoryView& view, HistoryRow& row)
    {
        restoreButton(row)->click();
        auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
        ASSERT_NE(confirmation, nullptr);
        EXPECT_EQ(confirmation->text(), u"Restore from backup?"_s);
        child<QPushButton>(*confirmation, u"confirmRestoreButton"_s)->click();
    }

    static QMessageBox* failure(const HistoryView& view)
    {
        return view.findChild<QMessageBox*>(u"restoreFailedAlert"_s);
    }
};

TEST_F(HistoryViewTest, RestoringAMigrationPutsTheFolderBackByteForByteAndRescans)
{
    const auto before = testing::snapshot(projects() / "-w-old");
    const MigrationRecord migration = migrate();
    ASSERT_FALSE(fs::exists(projects() / "-w-old"));

    HistoryView& view = openHistory();
    EXPECT_EQ(view.size(), HistoryView::fixedSize);
    ASSERT_EQ(rows(view).size(), 1);
    HistoryRow& row = *rows(view).front();
    EXPECT_EQ(child<ElidedLabel>(row, u"recordOldPath"_s)->fullText(), u"/w/old"_s);
    EXPECT_EQ(child<ElidedLabel>(row, u"recordNewPath"_s)->fullText(), u"→ /w/new"_s);
    EXPECT_EQ(child<QLabel>(row, u"recordCounts"_s)->text(), u"2 files · 2 references"_s);
    ASSERT_NE(restoreButton(row), nullptr);

    restoreButton(row)->click();
    auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
    EXPECT_EQ(confirmation->informativeText(), HistoryPresenter::confirmationMessage(migration));
    child<QPushButton>(*confirmation, u"cancelRestoreButton"_s)->click();
    EXPECT_TRUE(fs::exists(projects() / "-w-new")) << "Cancel changes nothing";

    restore(view, *rows(view).front());
    EXPECT_EQ(failure(view), nullptr);
    EXPECT_EQ(testing::snapshot(projects() / "-w-old"), before);
    EXPECT_FALSE(fs::exists(projects() / "-w-new"));
    EXPECT_TRUE(env->isScanning()) << "a completed restore starts a rescan";

    const auto shown = rows(view);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(badges(*shown[0]), QStringList{u"RESTORE"_s}) << "the reverting record comes first";
    EXPECT_EQ(restoreButton(*shown[0]), nullptr);
    EXPECT_EQ(reason(*shown[0]), QString()) << "and has an empty slot";
    EXPECT_EQ(child<ElidedLabel>(*shown[0], u"recordNewPath"_s)->fullText(), u"→ /w/old"_s);
    EXPECT_EQ(reason(*shown[1]), u"This migration has already been undone."_s);
}

TEST_F(HistoryViewTest, AnAccountNotOnThisComputerAndOneThatGoesWhileConfirming)
{
    migrate();
    MigrationRecord elsewhere = MigrationAudit::records().front();
    elsewhere.id = Uuid::random();
    elsewhere.accountId = "elsewhere";
    MigrationAudit::append(elsewhere);

    HistoryView& view = openHistory();
    auto shown = rows(view);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(reason(*shown[0]), u"Account elsewhere is not on this computer."_s);
    EXPECT_EQ(restoreButton(*shown[0]), nullptr);
    ASSERT_NE(restoreButton(*shown[1]), nullptr);

    restoreButton(*shown[1])->click();
    auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
    accounts->clear();
    env->scan();
    waitForScan();
    child<QPushButton>(*confirmation, u"confirmRestoreButton"_s)->click();
    ASSERT_NE(failure(view), nullptr);
    EXPECT_EQ(failure(view)->text(), u"Restore failed"_s);
    EXPECT_EQ(failure(view)->informativeText(), u"Account claude no longer exists."_s);
    EXPECT_TRUE(fs::exists(projects() / "-w-new"));
    EXPECT_FALSE(env->isScanning());
}

TEST_F(HistoryViewTest, ADamagedHistoryShowsNoMigrationsAndIsLeftAsItWas)
{
    const std::string damaged = R"([{"id": "not a record", "timestamp": "yesterday"}])";
    testing::writeFile(MigrationAudit::historyFile(), damaged);
    HistoryView& view = openHistory();
    auto* empty = child<EmptyStateView>(view, u"historyEmptyState"_s);
    EXPECT_TRUE(empty->isVisible());
    EXPECT_EQ(empty->title(), u"No migrations yet"_s);
    EXPECT_EQ(empty->symbol(), Symbol::clockArrowCirclepath);
    EXPECT_FALSE(child<QWidget>(view, u"historyList"_s)->isVisible());
    EXPECT_EQ(testing::readFile(MigrationAudit::historyFile()), damaged);
}

TEST_F(HistoryViewTest, AFailedRestoreShowsTheEnginesWordsAndChangesNothing)
{
    const MigrationRecord migration = migrate();
    testing::writeFile(home() / "tar", "#!/bin/sh\necho 'tar: the disk is on fire' >&2\nexit 2\n");
    fs::permissions(home() / "tar", fs::perms::owner_all);
    const BackupArchiver::ScopedTarProgram brokenTar(home() / "tar");
    std::string engineText;
    try {
        RestoreManager::restore(migration, projects(), "20240502-100000", MigrationAudit::records());
    } catch (const MigrationError& error) {
        engineText = error.what();
    }
    ASSERT_NE(engineText, "");
    const auto after = testing::snapshot(projects());
    const std::string history = testing::readFile(MigrationAudit::historyFile());

    HistoryView& view = openHistory();
    restore(view, *rows(view).front());
    QMessageBox* alert = failure(view);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), u"Restore failed"_s);
    EXPECT_EQ(alert->informativeText(), QString::fromStdString(engineText));
    EXPECT_FALSE(env->isScanning()) << "no rescan after a failure";
    ASSERT_EQ(rows(view).size(), 1);
    EXPECT_NE(restoreButton(*rows(view).front()), nullptr) << "the list is as it was";
    EXPECT_EQ(testing::snapshot(projects()), after);
    EXPECT_EQ(testing::readFile(MigrationAudit::historyFile()), history);

    child<QPushButton>(*alert, u"restoreFailedOkButton"_s)->click();
    EXPECT_TRUE(testing::waitUntil([&] { return failure(view) == nullptr; }));
}

} // namespace
} // namespace threadhop
