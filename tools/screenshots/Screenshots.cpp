// Renders the windows over a made-up home into PNG files for a reviewer to look at
// (make screenshots); the files land in <build>/screenshots/. Not a test: nothing here is checked.
#include "ScreenshotTest.h"
#include "app/ThreadhopApp.h"
#include "app/UpdateCheckingWindow.h"
#include "support/ui/DiscoveryGate.h"
#include "support/ui/Palettes.h"
#include "support/ui/TranscriptHome.h"
#include "support/ui/UiTest.h"
#include "ui/detail/ProjectDetailView.h"
#include "ui/help/HelpView.h"
#include "ui/help/HelpWindow.h"
#include "ui/history/HistoryRowDelegate.h"
#include "ui/history/HistoryView.h"
#include "ui/projects/ProjectsListView.h"
#include "ui/sheets/MigrationSheet.h"
#include "ui/window/RootView.h"

#include "core/encoding/CwdCodec.h"
#include "core/migration/BackupArchiver.h"
#include "core/migration/RestoreManager.h"
#include "core/operations/MigrationAudit.h"
#include "core/util/fs/AtomicFile.h"

#include <QCheckBox>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;

using ScreenshotTest = testing::ScreenshotTest;

TEST_F(ScreenshotTest, MainWindowOverTheTranscriptHome)
{
    const auto fixture = testing::TranscriptHome::write(home());
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

    app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(fixture.readyCwd));
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
    auto* help = child<HelpView>(*app.helpWindow(), u"helpView"_s);
    help->ensureWidgetVisible(child<QWidget>(*help, u"resume"_s), 0, 0);
    save(*app.helpWindow(), "help-window-resume.png");

    UpdateCheckingWindow checking(&window);
    checking.show();
    save(checking, "checking-for-updates.png");
}

TEST_F(ScreenshotTest, ProjectDetailAndMigrationSheet)
{
    const auto fixture = testing::TranscriptHome::write(home());
    ThreadhopApp app(AppEnvironment::Discovery::standard(), QUrl());
    RootView& window = app.mainWindow();
    window.resize(1180, 720);
    app.start();
    ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));

    auto* detail = child<ProjectDetailView>(window, u"projectDetailView"_s);
    const std::pair<std::string, const char*> statuses[]{
        {CwdCodec::encode(fixture.readyCwd), "detail-ok.png"},
        {CwdCodec::encode(fixture.oldAppCwd), "detail-cwd-mismatch.png"},
        {CwdCodec::encode(fixture.movedCwd), "detail-target-missing.png"},
        {CwdCodec::encode(fixture.lostCwd), "detail-target-missing-two-suggestions.png"},
        {CwdCodec::encode(fixture.temporaryCwd), "detail-ephemeral-location.png"},
        {testing::TranscriptHome::noCwdFolder, "detail-no-cwd-recorded.png"}};
    for (const auto& [folder, file] : statuses) {
        app.environment().setSelectedProjectId("claude:" + folder);
        save(window, file);
    }

    // The sheet in each phase. The first migration waits at a gate, so that the running phase can be
    // seen, and then fails as a folder turned read-only makes it fail; the second one runs.
    auto gate = std::make_shared<testing::DiscoveryGate>();
    auto engine = MigrationEngine::standard();
    engine.migrate = [gate, standard = engine.migrate](const ConversationMigrator::Input& input,
                                                       const std::string& stamp) {
        if (gate->enter() == 1) {
            const AtomicFile::ScopedReplaceHook readOnly(
                AtomicFile::ScopedReplaceHook::Moment::beforeRename, [](const std::filesystem::path& transcript) {
                    throw std::filesystem::filesystem_error("cannot replace", transcript,
                                                            std::make_error_code(std::errc::permission_denied));
                });
            return standard(input, stamp);
        }
        return standard(input, stamp);
    };
    detail->setMigrationEngine(engine);
    const auto openSheet = [&] {
        app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(fixture.movedCwd));
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

TEST_F(ScreenshotTest, DarkMainWindowAndMigrationSheet)
{
    const auto fixture = testing::TranscriptHome::write(home());
    const testing::ScopedPalette dark(testing::darkPalette());
    ThreadhopApp app(AppEnvironment::Discovery::standard(), QUrl());
    RootView& window = app.mainWindow();
    window.resize(1180, 720);
    app.start();
    ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(fixture.lostCwd));
    // The keyboard on the first suggestion, to show its focus ring.
    child<QWidget>(window, u"suggestionRow"_s)->setFocus(Qt::TabFocusReason);
    save(window, "main-window-dark.png");

    app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(fixture.movedCwd));
    auto* migrate = child<QPushButton>(window, u"migrateButton"_s);
    migrate->setFocus(Qt::TabFocusReason);
    save(window, "main-window-dark-migrate-focused.png");
    migrate->click();
    MigrationSheet* sheet = child<ProjectDetailView>(window, u"projectDetailView"_s)->migrationSheet();
    ASSERT_TRUE(testing::waitUntil([&] { return sheet->preview().has_value(); }));
    child<QWidget>(*sheet, u"dryRunToggle"_s)->setFocus(Qt::TabFocusReason);
    save(*sheet, "sheet-idle-dark.png");
    sheet->reject();

    window.openHistory();
    save(*window.historyWindow(), "history-empty-dark.png");
}

TEST_F(ScreenshotTest, DetailWithALongSuggestion)
{
    const std::string name = "a-project-with-a-rather-long-name-for-its-folder";
    std::filesystem::create_directories(home() / "code" / name);
    const ProjectFolder moved{.id = "claude:-gone",
                              .accountId = "claude",
                              .folderName = "-Users-ana-old-" + name,
                              .actualCwd = "/Users/ana/old/" + name,
                              .status = ResumeStatus::targetMissing};
    ThreadhopApp app({.scanAccounts = [] { return std::vector<ClaudeAccount>{{.id = "claude", .label = "claude"}}; },
                      .indexProjects = [moved](const ClaudeAccount&) { return std::vector{moved}; }},
                     QUrl());
    RootView& window = app.mainWindow();
    // The narrowest window, tall enough to show the suggestions below the information grid.
    window.resize(RootView::minimumWindowSize.width(), 860);
    app.start();
    ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));
    app.environment().setSelectedProjectId(moved.id);
    save(window, "detail-long-suggestion.png");
}

TEST_F(ScreenshotTest, HistoryWindow)
{
    const auto fixture = testing::TranscriptHome::write(home());
    ThreadhopApp app(AppEnvironment::Discovery::standard(), QUrl());
    RootView& window = app.mainWindow();
    window.resize(1180, 720);
    app.start();
    ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));
    window.openHistory();
    save(*window.historyWindow(), "history-empty.png");
    window.historyWindow()->close();

    // A migration undone, one still in place, and records of the other kinds a history may hold.
    const auto projects = home() / ".claude" / "projects";
    const auto migrate = [&](const std::filesystem::path& from, const std::filesystem::path& to, const char* stamp) {
        return ConversationMigrator::migrate({.accountId = "claude",
                                              .projectsRoot = projects,
                                              .oldFolderName = CwdCodec::encode(from.string()),
                                              .oldCwd = from.string(),
                                              .newCwd = to.string(),
                                              .allowPopulatedDestination = true},
                                             stamp);
    };
    const auto undone = migrate(fixture.lostCwd, home() / "code" / "api", "20240501-093000");
    RestoreManager::restore(undone, projects, "20240502-100000", MigrationAudit::records());
    MigrationRecord other =
        migrate(fixture.readyCwd, home() / "work" / "a-much-longer-folder-name" / "site", "20240503-110000");
    other.id = Uuid::random();
    other.accountId = "claude-personal";
    MigrationAudit::append(other);
    other.id = Uuid::random();
    other.accountId = "claude";
    other.dryRun = true;
    MigrationAudit::append(other);

    window.openHistory();
    HistoryView& view = *window.historyWindow();
    save(view, "history-rows.png");

    testing::writeFile(home() / "tar", "#!/bin/sh\necho 'tar: Cannot write: No space left on device' >&2\nexit 2\n");
    std::filesystem::permissions(home() / "tar", std::filesystem::perms::owner_all);
    const BackupArchiver::ScopedPrograms brokenTar(home() / "tar");
    auto* rows = child<QListView>(view, u"historyList"_s);
    for (int row = 0; row < view.model().rowCount(); ++row) {
        if (std::holds_alternative<HistoryPresenter::RestoreSlots::Button>(view.model().entry(row).slot)) {
            const QRect button =
                view.rowDelegate().parts(view.model().entry(row), rows->visualRect(view.model().index(row))).slot;
            QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, button.center());
            break;
        }
    }
    auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
    save(*confirmation, "history-confirmation.png");
    child<QPushButton>(*confirmation, u"confirmRestoreButton"_s)->click();
    auto* failure = child<QMessageBox>(view, u"restoreFailedAlert"_s);
    save(*failure, "history-failure.png");
    failure->close();
    view.close();

    // A history that could not be read was set aside by an append; the one written since holds the rows.
    const std::string history = testing::readFile(MigrationAudit::historyFile());
    testing::writeFile(MigrationAudit::historyFile(), "not a history");
    MigrationAudit::append(other);
    testing::writeFile(MigrationAudit::historyFile(), history);
    window.openHistory();
    save(*window.historyWindow(), "history-set-aside.png");
}

} // namespace
} // namespace threadhop
