// Renders the main window over the fixture home into PNG files for a reviewer to look at.
#include "app/ThreadhopApp.h"
#include "ui/HelpWindow.h"
#include "ui/ProjectDetailView.h"
#include "ui/ProjectsListView.h"
#include "ui/RootView.h"
#include "ui/sheets/MigrationSheet.h"
#include "helpers/DiscoveryGate.h"
#include "helpers/FixtureHome.h"
#include "helpers/ScreenshotTest.h"
#include "helpers/TranscriptHome.h"
#include "helpers/UiTest.h"

#include "core/encoding/CwdCodec.h"

#include <QCheckBox>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;

using ScreenshotTest = testing::ScreenshotTest;

TEST_F(ScreenshotTest, MainWindowOverTheFixtureHome)
{
    testing::FixtureHome::write(home());
    // The core discovery, held at a gate from the second scan on to catch the scanning notice.
    auto gate = std::make_shared<testing::DiscoveryGate>();
    gate->release(1);
    auto standard = AppEnvironment::Discovery::standard();
    ThreadhopApp app({.scanAccounts =
                             [gate, standard] {
                                 gate->enter();
                                 return standard.scanAccounts();
                             },
                         .indexProjects = standard.indexProjects},
        QUrl());
    RootView& window = app.mainWindow();
    window.resize(1180, 720);
    app.start();
    ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));

    auto* list = child<QListView>(window, u"projectsList"_s);
    list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    save(window, "main-window.png");

    window.resize(RootView::minimumWindowSize);
    save(window, "main-window-minimum.png");
    window.resize(1180, 720);

    app.environment().scan();
    save(window, "scanning.png");
    gate->openForAll();
    ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));

    child<QToolButton>(window, u"problemsOnlyToggle"_s)->click();
    save(window, "problems-only.png");
    QTest::keyClicks(child<QWidget>(window, u"searchField"_s), u"nothing-like-this"_s);
    save(window, "search-without-matches.png");

    app.openHelp();
    save(*app.helpWindow(), "help-window.png");
}

TEST_F(ScreenshotTest, ProjectDetailAndMigrationSheet)
{
    const auto fixture = testing::TranscriptHome::write(home());
    if (!fixture)
        GTEST_SKIP() << "no fixture transcripts";
    ThreadhopApp app(AppEnvironment::Discovery::standard(), QUrl());
    RootView& window = app.mainWindow();
    window.resize(1180, 720);
    app.start();
    ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));

    auto* detail = child<ProjectDetailView>(window, u"projectDetailView"_s);
    const std::pair<std::string, const char*> statuses[]{{CwdCodec::encode(fixture->readyCwd), "detail-ok.png"},
        {CwdCodec::encode(fixture->oldAppCwd), "detail-cwd-mismatch.png"},
        {CwdCodec::encode(fixture->movedCwd), "detail-target-missing.png"},
        {CwdCodec::encode(fixture->lostCwd), "detail-target-missing-two-suggestions.png"},
        {CwdCodec::encode(fixture->temporaryCwd), "detail-ephemeral-location.png"},
        {testing::TranscriptHome::noCwdFolder, "detail-no-cwd-recorded.png"}};
    for (const auto& [folder, file] : statuses) {
        app.environment().setSelectedProjectId("claude:" + folder);
        save(window, file);
    }

    // The sheet in each phase. The first migration waits at a gate, so that the running phase can be
    // seen, and then fails; the second one runs.
    auto gate = std::make_shared<testing::DiscoveryGate>();
    auto engine = MigrationEngine::standard();
    engine.migrate
        = [gate, standard = engine.migrate](const ConversationMigrator::Input& input, const std::string& stamp) {
              if (gate->enter() == 1)
                  throw MigrationError::verificationFailed(3);
              return standard(input, stamp);
          };
    detail->setMigrationEngine(engine);
    const auto openSheet = [&] {
        app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(fixture->movedCwd));
        child<QPushButton>(window, u"migrateButton"_s)->click();
        MigrationSheet* sheet = detail->migrationSheet();
        EXPECT_TRUE(testing::waitUntil([&] { return sheet->preview().has_value(); }));
        return sheet;
    };
    const auto finish = [&](MigrationSheet* sheet, const char* file) {
        ASSERT_TRUE(testing::waitUntil([&] { return stageOf(sheet->phase()) == SheetStage::finished; }));
        save(*sheet, file);
        sheet->reject();
        ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));
    };

    MigrationSheet* sheet = openSheet();
    save(*sheet, "sheet-idle.png");
    child<QCheckBox>(*sheet, u"dryRunToggle"_s)->setChecked(true);
    child<QPushButton>(*sheet, u"primaryButton"_s)->click();
    finish(sheet, "sheet-dry-run-done.png");

    sheet = openSheet();
    child<QPushButton>(*sheet, u"primaryButton"_s)->click();
    save(*sheet, "sheet-running.png");
    gate->openForAll();
    finish(sheet, "sheet-failed.png");

    sheet = openSheet();
    child<QPushButton>(*sheet, u"primaryButton"_s)->click();
    finish(sheet, "sheet-done.png");
}

} // namespace
} // namespace threadhop
