#include "ui/accounts/AccountListModel.h"
#include "ui/accounts/AccountsSidebar.h"
#include "ui/history/HistoryView.h"
#include "ui/projects/ProjectListModel.h"
#include "ui/projects/ProjectsListView.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/window/RootView.h"
#include "ui/window/WindowPlacement.h"
#include "support/ui/FakeDiscovery.h"
#include "support/ui/FixtureHome.h"
#include "support/ui/UiTest.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QSplitter>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::account;
using testing::child;
using testing::project;
using Mode = QAbstractItemModelTester::FailureReportingMode;

class RootViewTest : public testing::HomeTest {
protected:
    testing::FakeDiscovery fake;
    std::unique_ptr<AppEnvironment> env;
    std::unique_ptr<QSignalSpy> changes;
    std::unique_ptr<RootView> window;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;

    void open(AppEnvironment::Discovery discovery)
    {
        env = std::make_unique<AppEnvironment>(std::move(discovery));
        changes = std::make_unique<QSignalSpy>(env.get(), &AppEnvironment::changed);
        window = std::make_unique<RootView>(*env);
        testers.push_back(std::make_unique<QAbstractItemModelTester>(&sidebarModel(), Mode::Warning));
        testers.push_back(std::make_unique<QAbstractItemModelTester>(&listModel(), Mode::Warning));
        window->show();
    }

    void waitForScan()
    {
        ASSERT_TRUE(testing::waitUntil([&] { return !env->isScanning(); }));
    }

    void TearDown() override
    {
        fake.gate->openForAll();
        if (env)
            waitForScan();
        testers.clear();
        window.reset();
        env.reset();
    }

    AccountListModel& sidebarModel() { return child<AccountsSidebar>(*window, u"accountsSidebar"_s)->model(); }
    ProjectListModel& listModel() { return child<ProjectsListView>(*window, u"projectsListView"_s)->model(); }
    QAction& rescan() { return *child<QAction>(*window, u"rescanAction"_s); }
    QWidget& notice() { return *child<QWidget>(*window, u"scanningNotice"_s); }
    EmptyStateView& projectsEmptyState() { return *child<EmptyStateView>(*window, u"projectsEmptyState"_s); }
    QLineEdit& search() { return *child<QLineEdit>(*window, u"searchField"_s); }
    QString liveState() { return child<QLabel>(*window, u"statusLiveState"_s)->text(); }
};

TEST_F(RootViewTest, FirstShowingScansTheHomeAndPublishesOnce)
{
    testing::FixtureHome::write(home());
    open(AppEnvironment::Discovery::standard());
    waitForScan();

    ASSERT_EQ(changes->size(), 2) << "scanning starts, then one update publishes everything";
    ASSERT_EQ(sidebarModel().rowCount(), 1);
    const QModelIndex accountRow = sidebarModel().index(0);
    EXPECT_EQ(
        accountRow.data(AccountListModel::IdentityRole).toString(), QString::fromUtf8(testing::FixtureHome::email));
    EXPECT_EQ(accountRow.data(AccountListModel::ProjectCountRole).toString(), u"6"_s);
    EXPECT_EQ(accountRow.data(AccountListModel::ProblemsBadgeRole).toString(), u"2"_s);
    EXPECT_TRUE(child<QListView>(*window, u"accountsList"_s)->selectionModel()->isRowSelected(0));

    EXPECT_EQ(listModel().rowCount(), testing::FixtureHome::projectCount);
    EXPECT_TRUE(projectsEmptyState().isHidden());
    EXPECT_EQ(child<QLabel>(*window, u"toFixBadge"_s)->text(), u"2 to fix"_s);
    EXPECT_EQ(liveState(), u"6 projects · scanned now"_s);
    EXPECT_EQ(child<EmptyStateView>(*window, u"detailPlaceholder"_s)->title(), u"Select a project"_s);
}

TEST_F(RootViewTest, RescanIsDisabledAndTheNoticeShownWhileScanning)
{
    *fake.accountsByCall = {{account("a")}};
    open(fake.discovery());
    ASSERT_TRUE(env->isScanning());
    EXPECT_FALSE(rescan().isEnabled());
    EXPECT_TRUE(notice().isVisible());
    EXPECT_EQ(child<QLabel>(*window, u"scanningNoticeText"_s)->text(), u"Scanning accounts and projects…"_s);
    EXPECT_EQ(liveState(), u"Scanning…"_s);
    EXPECT_TRUE(child<EmptyStateView>(*window, u"accountsEmptyState"_s)->isHidden())
        << "no \"No accounts found\" while the first scan runs";

    child<QAction>(*window, u"historyAction"_s)->trigger();
    ASSERT_NE(window->historyWindow(), nullptr);
    EXPECT_TRUE(window->historyWindow()->isVisible()) << "History opens while a scan runs";
    window->historyWindow()->close();

    fake.gate->release(1);
    waitForScan();
    EXPECT_TRUE(rescan().isEnabled());
    EXPECT_FALSE(notice().isVisible());

    rescan().trigger();
    EXPECT_TRUE(env->isScanning());
    EXPECT_FALSE(rescan().isEnabled());
    fake.gate->release(2);
    waitForScan();
    EXPECT_TRUE(rescan().isEnabled());
}

TEST_F(RootViewTest, NoAccountsFoundAndReappearance)
{
    fake.gate->openForAll();
    open(fake.discovery());
    waitForScan();
    const auto& panel = *child<EmptyStateView>(*window, u"accountsEmptyState"_s);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.title(), u"No accounts found"_s);
    EXPECT_EQ(projectsEmptyState().title(), u"Select an account"_s);

    window->hide();
    window->show();
    EXPECT_TRUE(env->isScanning()) << "showing the window again rescans while no account was found";
    waitForScan();

    *fake.accountsByCall = {{account("a")}};
    rescan().trigger();
    waitForScan();
    window->hide();
    window->show();
    EXPECT_FALSE(env->isScanning()) << "with accounts, showing the window again does not rescan";
}

TEST_F(RootViewTest, SelectionRepairAfterARescanReachesTheColumns)
{
    fake.gate->openForAll();
    *fake.accountsByCall = {{account("a"), account("b")}, {account("a")}};
    (*fake.projects)["a"] = {project("a", "-a1"), project("a", "-a2")};
    (*fake.projects)["b"] = {project("b", "-b1")};
    open(fake.discovery());
    waitForScan();

    auto* accounts = child<QListView>(*window, u"accountsList"_s);
    accounts->selectionModel()->select(sidebarModel().index(1), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(env->selectedAccountId(), "b");
    EXPECT_EQ(listModel().rowCount(), 1);

    rescan().trigger();
    waitForScan();
    EXPECT_EQ(env->selectedAccountId(), "a");
    EXPECT_TRUE(accounts->selectionModel()->isRowSelected(0));
    EXPECT_EQ(listModel().rowCount(), 2);
}

TEST_F(RootViewTest, SearchAndProblemsOnlyNarrowTheListAndExplainWhyItIsEmpty)
{
    fake.gate->openForAll();
    *fake.accountsByCall = {{account("a"), account("b")}};
    (*fake.projects)["a"] = {project("a", "-home-ana-site"), project("a", "-home-ana-api"),
        project("a", "-home-ana-gone", ResumeStatus::targetMissing)};
    (*fake.projects)["b"] = {project("b", "-home-ana-moved", ResumeStatus::cwdMismatch)};
    open(fake.discovery());
    waitForScan();
    auto* clear = child<QToolButton>(*window, u"clearSearchButton"_s);
    auto* problemsOnly = child<QToolButton>(*window, u"problemsOnlyToggle"_s);
    EXPECT_EQ(child<QLabel>(*window, u"toFixBadge"_s)->text(), u"2 to fix"_s) << "problems of every account";
    EXPECT_FALSE(clear->isVisible());

    QTest::keyClicks(&search(), u"SITE"_s);
    EXPECT_EQ(env->searchText(), "SITE");
    EXPECT_EQ(listModel().rowCount(), 1);
    EXPECT_TRUE(clear->isVisible());

    QTest::keyClicks(&search(), u"x"_s);
    EXPECT_EQ(listModel().rowCount(), 0);
    EXPECT_TRUE(projectsEmptyState().isVisible());
    EXPECT_EQ(projectsEmptyState().title(), u"Nothing matches “SITEx”"_s);
    EXPECT_EQ(projectsEmptyState().description(), u"3 projects are hidden by this search."_s);

    problemsOnly->click();
    EXPECT_TRUE(env->showOnlyProblems());
    EXPECT_EQ(projectsEmptyState().description(),
        u"Two filters are on. Turn off “Problems only” to search all 3 projects."_s);

    clear->click();
    EXPECT_EQ(search().text(), QString());
    EXPECT_FALSE(clear->isVisible());
    EXPECT_EQ(listModel().rowCount(), 1) << "only the problem project of the listed account";
    EXPECT_TRUE(projectsEmptyState().isHidden());

    QTest::keyClicks(&search(), u"   "_s);
    EXPECT_TRUE(clear->isVisible()) << "blanks still show the clear button";
    EXPECT_EQ(listModel().rowCount(), 1) << "while a blank search filters nothing";

    problemsOnly->click();
    EXPECT_EQ(listModel().rowCount(), 3);
}

TEST_F(RootViewTest, ProblemsOnlyWithoutProblemsAndAnEmptyAccount)
{
    fake.gate->openForAll();
    *fake.accountsByCall = {{account("a"), account("empty")}};
    (*fake.projects)["a"] = {project("a", "-fine")};
    open(fake.discovery());
    waitForScan();
    EXPECT_TRUE(child<QLabel>(*window, u"toFixBadge"_s)->isHidden());

    child<QToolButton>(*window, u"problemsOnlyToggle"_s)->click();
    EXPECT_EQ(projectsEmptyState().title(), u"No problems 🎉"_s);
    EXPECT_EQ(projectsEmptyState().symbol(), Symbol::checkmarkSeal);

    env->setSelectedAccountId("empty");
    EXPECT_EQ(projectsEmptyState().title(), u"No projects"_s);
    EXPECT_TRUE(env->showOnlyProblems()) << "the filter outlives a change of account";
}

TEST_F(RootViewTest, SelectingAProjectWritesTheSharedStateAndAHidingFilterKeepsIt)
{
    fake.gate->openForAll();
    *fake.accountsByCall = {{account("a")}};
    (*fake.projects)["a"] = {project("a", "-one"), project("a", "-two")};
    open(fake.discovery());
    waitForScan();

    auto* list = child<QListView>(*window, u"projectsList"_s);
    list->selectionModel()->select(listModel().index(1), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(env->selectedProjectId(), "a:-two");

    QTest::keyClicks(&search(), u"one"_s);
    EXPECT_EQ(listModel().rowCount(), 1);
    EXPECT_EQ(env->selectedProjectId(), "a:-two") << "a project the filter hides stays selected";

    search().clear();
    env->setSearchText({});
    EXPECT_TRUE(list->selectionModel()->isRowSelected(1)) << "and shows selected again when the filter lets it through";
}

TEST_F(RootViewTest, WindowFrame)
{
    fake.gate->openForAll();
    open(fake.discovery());
    waitForScan();
    EXPECT_EQ(window->windowTitle(), u"Threadhop"_s);
    window->resize(300, 200);
    EXPECT_GE(window->width(), 900);
    EXPECT_GE(window->height(), 560);

    const auto* sidebar = child<QWidget>(*window, u"accountsSidebar"_s);
    EXPECT_EQ(sidebar->minimumWidth(), 220);
    EXPECT_EQ(sidebar->maximumWidth(), 360);
    EXPECT_EQ(child<QWidget>(*window, u"projectsListView"_s)->minimumWidth(), 300);
    const auto* columns = child<QSplitter>(*window, u"columns"_s);
    ASSERT_EQ(columns->count(), 3);
    EXPECT_EQ(columns->widget(0), sidebar);
    EXPECT_EQ(columns->widget(2)->objectName(), u"projectDetailView"_s);

    EXPECT_EQ(child<QAction>(*window, u"historyAction"_s)->text(), u"History"_s);
    EXPECT_EQ(rescan().text(), u"Rescan"_s);
}

TEST_F(RootViewTest, TheToolbarOffersNoWayToHideItself)
{
    fake.gate->openForAll();
    open(fake.discovery());
    waitForScan();
    auto* toolbar = child<QToolBar>(*window, u"mainToolbar"_s);
    bool menuShown = false;
    // A menu would run its own event loop; this closes it again, and notes that it was there.
    QTimer::singleShot(0, window.get(), [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menuShown = true;
            popup->close();
        }
    });
    const QPoint inside = toolbar->rect().center();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, inside, toolbar->mapToGlobal(inside));
    QApplication::sendEvent(toolbar->childAt(inside) ? toolbar->childAt(inside) : toolbar, &rightClick);
    QCoreApplication::processEvents();
    EXPECT_FALSE(menuShown);
    EXPECT_TRUE(toolbar->isVisible());
}

TEST_F(RootViewTest, TypingShowsTheFirstMatchWithoutMovingTheListAndEscapeClears)
{
    fake.gate->openForAll();
    *fake.accountsByCall = {{account("a")}};
    for (int i = 0; i < 80; ++i)
        (*fake.projects)["a"].push_back(project("a", "-code-app" + std::to_string(i)));
    open(fake.discovery());
    waitForScan();
    auto* list = child<QListView>(*window, u"projectsList"_s);
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    const int listTop = list->mapTo(window.get(), QPoint()).y();

    QTest::keyClicks(&search(), u"app1"_s);
    ASSERT_EQ(listModel().rowCount(), 11);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0) << "the first match is in view";
    EXPECT_EQ(list->mapTo(window.get(), QPoint()).y(), listTop) << "the clear button did not grow the filter bar";

    QTest::keyClick(&search(), Qt::Key_Escape);
    EXPECT_EQ(search().text(), QString());
    EXPECT_EQ(env->searchText(), "");
    EXPECT_EQ(listModel().rowCount(), 80);
}

TEST_F(RootViewTest, ProblemsOnlyIsPlainlyOnOrOff)
{
    fake.gate->openForAll();
    open(fake.discovery());
    waitForScan();
    auto* toggle = child<QToolButton>(*window, u"problemsOnlyToggle"_s);
    const QColor highlight = toggle->palette().color(QPalette::Active, QPalette::Highlight);
    const auto shareOfHighlight = [&] {
        const QImage image = toggle->grab().toImage();
        int near = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                near += std::abs(pixel.red() - highlight.red()) + std::abs(pixel.green() - highlight.green())
                        + std::abs(pixel.blue() - highlight.blue())
                    < 60;
            }
        }
        return double(near) / (image.width() * image.height());
    };
    EXPECT_LT(shareOfHighlight(), 0.05);
    toggle->click();
    ASSERT_TRUE(env->showOnlyProblems());
    EXPECT_GT(shareOfHighlight(), 0.4) << "on, the button is filled with the selection color";
    toggle->click();
    EXPECT_LT(shareOfHighlight(), 0.05);
}

TEST_F(RootViewTest, KeyboardWalksTheColumnsLeftToRightAndTheFirstArrowChoosesTheFirstRow)
{
    fake.gate->openForAll();
    *fake.accountsByCall = {{account("a"), account("b")}};
    (*fake.projects)["a"] = {project("a", "-one"), project("a", "-two"), project("a", "-three")};
    open(fake.discovery());
    waitForScan();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* accounts = child<QListView>(*window, u"accountsList"_s);
    auto* projects = child<QListView>(*window, u"projectsList"_s);
    const auto ringShown = [](QWidget* list) { return child<QWidget>(*list, u"focusRing"_s)->isVisible(); };

    accounts->setFocus();
    EXPECT_TRUE(ringShown(accounts));
    QStringList visited;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, (QStringList{u"searchField"_s, u"problemsOnlyToggle"_s, u"projectsList"_s}));
    EXPECT_FALSE(ringShown(accounts));
    EXPECT_TRUE(ringShown(projects)) << "the list with the keyboard focus shows it";

    QTest::keyClick(projects, Qt::Key_Down);
    EXPECT_EQ(env->selectedProjectId(), "a:-one") << "the first Down chooses the first row";
    QTest::keyClick(projects, Qt::Key_Down);
    EXPECT_EQ(env->selectedProjectId(), "a:-two");

    QTest::keyClick(projects, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), u"problemsOnlyToggle"_s);
    accounts->setFocus();
    QTest::keyClick(accounts, Qt::Key_Down);
    EXPECT_EQ(env->selectedAccountId(), "b") << "with a row selected, the arrows move on from it";
}

TEST_F(RootViewTest, RemembersItsFrameAndColumnsBetweenRuns)
{
    fake.gate->openForAll();
    open(fake.discovery());
    waitForScan();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(window->height(), std::max(screen.height(), RootView::minimumWindowSize.height()))
        << "the first frame fits the screen unless the screen is smaller than the window's limits";
    EXPECT_LE(window->width(), std::max(screen.width(), RootView::minimumWindowSize.width()));

    const QRect frame(screen.topLeft() + QPoint(20, 10), RootView::minimumWindowSize);
    window->setGeometry(frame);
    auto* columns = child<QSplitter>(*window, u"columns"_s);
    columns->setSizes({230, 300, frame.width() - 530});
    const QList<int> sizes = columns->sizes();
    window->close();
    waitForScan();

    RootView again(*env);
    EXPECT_EQ(again.geometry(), frame);
    EXPECT_EQ(child<QSplitter>(again, u"columns"_s)->sizes().mid(0, 2), sizes.mid(0, 2));

    auto settings = WindowPlacement::settings();
    EXPECT_TRUE(settings->fileName().startsWith(QString::fromStdString(home().string())));
    settings->setValue(u"mainWindow/geometry"_s, QRect(9000, 7000, 950, 580));
    settings->sync();
    RootView offScreen(*env);
    EXPECT_EQ(offScreen.geometry().center(), screen.center()) << "a frame off every screen is centred";
}

} // namespace
} // namespace threadhop
