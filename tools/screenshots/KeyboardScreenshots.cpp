// Renders where the keyboard is, as a user without a mouse sees it: each control shows its focus
// ring, and after the sheet the focus is back where the user was.
#include "ScreenshotTest.h"
#include "support/ui/Palettes.h"
#include "support/ui/TranscriptHome.h"
#include "ui/detail/ProjectDetailView.h"
#include "ui/history/HistoryView.h"
#include "ui/sheets/MigrationSheet.h"
#include "ui/window/RootView.h"

#include "core/encoding/CwdCodec.h"
#include "core/operations/MigrationAudit.h"

#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;
using testing::waitUntil;

using ScreenshotKeyboardTest = testing::ScreenshotTest;

void focus(QWidget& window, const QString& name)
{
    child<QWidget>(window, name)->setFocus(Qt::TabFocusReason);
}

TEST_F(ScreenshotKeyboardTest, FocusRingsAndWhereTheFocusGoesBack)
{
    const auto fixture = testing::TranscriptHome::write(home());
    ThreadhopApp app(AppEnvironment::Discovery::standard(), QUrl());
    RootView& window = app.mainWindow();
    startScanned(app);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto select = [&](const std::string& cwd) {
        app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(cwd));
    };

    select(fixture.readyCwd);
    focus(window, u"searchField"_s);
    save(window, "keyboard-search-field.png");
    focus(window, u"detailScroll"_s);
    save(window, "keyboard-detail-scroll.png");
    {
        const testing::ScopedPalette dark(testing::darkPalette());
        select(fixture.oldAppCwd);
        focus(window, u"finderButton"_s);
        save(window, "keyboard-open-folder-dark.png");
        focus(window, u"searchField"_s);
        save(window, "keyboard-search-field-dark.png");
    }

    // The migration of the moved project: the sheet right after the run, then the focus on the row of
    // the project it repaired.
    select(fixture.movedCwd);
    focus(window, u"migrateButton"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    MigrationSheet* sheet = child<ProjectDetailView>(window, u"projectDetailView"_s)->migrationSheet();
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); }));
    focus(*sheet, u"sheetContent"_s);
    save(*sheet, "keyboard-sheet-content.png");
    child<QPushButton>(*sheet, u"primaryButton"_s)->click();
    ASSERT_TRUE(waitUntil([&] { return stageOf(sheet->phase()) == SheetStage::finished; }));
    save(*sheet, "keyboard-sheet-after-run.png");
    QPointer<MigrationSheet> closing = sheet;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return closing.isNull() && !app.environment().isScanning(); }));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    save(window, "keyboard-repaired-project-row.png");

    // A history row that no Restore can undo: a dry run.
    MigrationRecord dryRun = MigrationAudit::records().front();
    dryRun.id = Uuid::random();
    dryRun.dryRun = true;
    MigrationAudit::append(dryRun);
    window.openHistory();
    HistoryView& history = *window.historyWindow();
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &history; }));
    auto* rows = child<QListView>(history, u"historyList"_s);
    rows->setFocus(Qt::TabFocusReason);
    rows->setCurrentIndex(history.model().index(0));
    save(history, "keyboard-history-row-without-restore.png");
    QTest::keyClick(rows, Qt::Key_Down);
    save(history, "keyboard-history-row-with-restore.png");
}

} // namespace
} // namespace threadhop
