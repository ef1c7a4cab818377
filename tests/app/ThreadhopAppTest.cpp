#include "app/ThreadhopApp.h"
#include "core/migration/ConversationMigrator.h"
#include "core/migration/OperationSteps.h"
#include "support/ui/FixtureHome.h"
#include "ui/help/HelpWindow.h"
#include "ui/window/RootView.h"
#include "support/ui/FakeDiscovery.h"
#include "support/ui/UiTest.h"

#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;

class ThreadhopAppTest : public testing::HomeTest {
protected:
    testing::FakeDiscovery fake;

    ThreadhopAppTest() { fake.gate->openForAll(); }

    static QMenu* menuHolding(QMenuBar& bar, QAction* action)
    {
        for (QAction* entry : bar.actions()) {
            if (entry->menu() && entry->menu()->actions().contains(action))
                return entry->menu();
        }
        return nullptr;
    }

    static void waitForScan(ThreadhopApp& app)
    {
        ASSERT_TRUE(testing::waitUntil([&] { return !app.environment().isScanning(); }));
    }
};

TEST_F(ThreadhopAppTest, CheckForUpdatesFollowsAboutAndNeedsAFeed)
{
    ThreadhopApp app(fake.discovery(), QUrl());
    QMenuBar& bar = *app.mainWindow().menuBar();
    auto* about = child<QAction>(bar, u"aboutAction"_s);
    auto* check = child<QAction>(bar, u"checkForUpdatesAction"_s);
    ASSERT_TRUE(about && check);
    EXPECT_EQ(check->text(), u"Check for Updates…"_s);
    const QList<QAction*> items = menuHolding(bar, about)->actions();
    ASSERT_EQ(items.indexOf(check), items.indexOf(about) + 1);
    EXPECT_EQ(about->menuRole(), QAction::AboutRole);
    EXPECT_FALSE(app.updates().canCheckForUpdates());
    EXPECT_FALSE(check->isEnabled()) << "no feed address was built in";

    ThreadhopApp withFeed(fake.discovery(), QUrl(u"https://example.com/threadhop/appcast.xml"_s));
    EXPECT_TRUE(withFeed.updates().canCheckForUpdates());
    EXPECT_TRUE(child<QAction>(*withFeed.mainWindow().menuBar(), u"checkForUpdatesAction"_s)->isEnabled());
}

TEST_F(ThreadhopAppTest, HelpCommandOpensOneHelpWindow)
{
    ThreadhopApp app(fake.discovery(), QUrl());
    auto* help = child<QAction>(*app.mainWindow().menuBar(), u"helpAction"_s);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), u"Threadhop Help"_s);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Question));
    EXPECT_EQ(app.helpWindow(), nullptr) << "made on demand";

    help->trigger();
    HelpWindow* window = app.helpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName(), u"threadhop-help"_s);
    EXPECT_EQ(window->windowTitle(), u"Threadhop Help"_s);
    EXPECT_EQ(window->size(), QSize(560, 620));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the user cannot resize it";

    const QPoint offCentre = window->geometry().center() - app.mainWindow().geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 4) << "centred on the main window";

    help->trigger();
    EXPECT_EQ(app.helpWindow(), window) << "a second press brings the same window forward";
    const auto windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                  [](const QWidget* w) { return w->objectName() == u"threadhop-help"_s; }),
        1);
}

TEST_F(ThreadhopAppTest, ControlQuestionMarkOpensHelpFromTheMainWindow)
{
    ThreadhopApp app(fake.discovery(), QUrl());
    app.start();
    waitForScan(app);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&app.mainWindow()));
    QTest::keyClick(&app.mainWindow(), Qt::Key_Question, Qt::ControlModifier);
    ASSERT_NE(app.helpWindow(), nullptr);
    EXPECT_TRUE(app.helpWindow()->isVisible());
}

TEST_F(ThreadhopAppTest, ClosingTheLastWindowQuits)
{
    ThreadhopApp app(fake.discovery(), QUrl());
    app.start();
    waitForScan(app);
    app.openHelp();

    // Qt decides about quitting only inside the application's own event loop, so run it.
    bool runningWithHelpAlone = false;
    QTimer::singleShot(0, &app, [&] {
        app.mainWindow().close();
        QTimer::singleShot(50, &app, [&] {
            runningWithHelpAlone = true;
            app.helpWindow()->close();
        });
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, &app, [] { QCoreApplication::exit(2); });
    safety.start(5000);
    EXPECT_EQ(QApplication::exec(), 0) << "the application did not quit";
    EXPECT_TRUE(runningWithHelpAlone) << "closing the main window quit while the help window was open";
}

TEST_F(ThreadhopAppTest, LaunchMovesTheLegacySupportFolderIntoPlace)
{
    const auto data = home() / ".local" / "share";
    testing::writeFile(data / "ClaudeThreadhop" / "audit.json", "[]");
    ThreadhopApp app(fake.discovery(), QUrl());
    app.start();
    waitForScan(app);
    EXPECT_EQ(testing::readFile(data / "Threadhop" / "audit.json"), "[]");
    EXPECT_FALSE(std::filesystem::exists(data / "ClaudeThreadhop"));
    EXPECT_TRUE(app.mainWindow().isVisible());
}

TEST_F(ThreadhopAppTest, LaunchCreatesTheSupportFolderAndSurvivesSomethingInTheWay)
{
    ThreadhopApp app(fake.discovery(), QUrl());
    app.start();
    waitForScan(app);
    EXPECT_TRUE(std::filesystem::is_directory(home() / ".local" / "share" / "Threadhop"));

    // A file where the folder belongs: the launch ignores the failure and still opens the window.
    std::filesystem::remove_all(home() / ".local");
    testing::writeFile(home() / ".local", "in the way");
    ThreadhopApp blocked(fake.discovery(), QUrl());
    blocked.start();
    waitForScan(blocked);
    EXPECT_TRUE(blocked.mainWindow().isVisible());
}

TEST_F(ThreadhopAppTest, AnInterruptedMigrationIsPutRightAndToldOnceAtStart)
{
    const auto projects = home() / ".claude" / "projects";
    testing::writeFile(projects / "-w-old" / "s.jsonl", testing::cwdLine("/w/old"));
    const std::string before = testing::readFile(projects / "-w-old" / "s.jsonl");
    {
        struct Crash {};
        const OperationSteps::ScopedHook crash([](OperationStep step) {
            if (step == OperationStep::moved)
                throw Crash{};
        });
        EXPECT_THROW(ConversationMigrator::migrate({.accountId = "claude", .projectsRoot = projects, .oldFolderName = "-w-old",
                                                    .oldCwd = "/w/old", .newCwd = "/w/new", .allowPopulatedDestination = true},
                                                   "20240501-093000"),
                     Crash);
    }
    ThreadhopApp app(fake.discovery(), QUrl());
    app.start();
    auto* alert = app.mainWindow().findChild<QMessageBox*>(u"interruptedOperationsAlert"_s);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->informativeText(),
              u"A migration of -w-old to -w-new was interrupted. Every file was put back as it was before it started."_s);
    EXPECT_EQ(testing::readFile(projects / "-w-old" / "s.jsonl"), before);
    alert->accept();

    ThreadhopApp again(fake.discovery(), QUrl());
    again.start();
    EXPECT_EQ(again.mainWindow().findChild<QMessageBox*>(u"interruptedOperationsAlert"_s), nullptr);
    waitForScan(app);
    waitForScan(again);
}

TEST_F(ThreadhopAppTest, AboutNamesTheApplicationAndShowsTheStatusBarsVersion)
{
    ThreadhopApp app(fake.discovery(), QUrl());
    child<QAction>(*app.mainWindow().menuBar(), u"aboutAction"_s)->trigger();
    auto* about = app.mainWindow().findChild<QMessageBox*>(u"aboutBox"_s);
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), u"About Threadhop"_s);
    EXPECT_EQ(about->text(), u"Threadhop"_s);
    EXPECT_EQ(about->informativeText(), child<QLabel>(app.mainWindow(), u"statusVersion"_s)->text());
    EXPECT_EQ(about->informativeText(), u"v"_s + QApplication::applicationVersion());
}

} // namespace
} // namespace threadhop
