// The main window: where it goes, its status bar, and its columns over the test's discovery.
#include "ui/window/RootView.h"
#include "support/ui/DrawnText.h"
#include "support/ui/TranscriptHome.h"
#include "support/ui/WindowTest.h"
#include "ui/accounts/AccountListModel.h"
#include "ui/history/HistoryView.h"
#include "ui/state/SettingsFile.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/window/AppStatusBar.h"
#include "ui/window/AppStatusBarPresenter.h"
#include "ui/window/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace threadhop::testing {
namespace {

using namespace std::chrono_literals;

constexpr QSize ideal{1180, 720};
constexpr QSize minimum{900, 560};

TEST(WindowPlacementTest, TheFirstFrameFitsTheScreen)
{
    // The window manager's frame: borders of 1 and a title bar, as tall as the scale makes it.
    const QMargins titled(1, 37, 1, 1);
    const std::tuple<QRect, QMargins, QRect> cases[]{
        {QRect(0, 0, 2560, 1400), QMargins(), QRect(690, 340, 1180, 720)},
        {QRect(0, 0, 2560, 1400), titled, QRect(690, 358, 1180, 720)},
        // 1920 × 1080 at a display scale of 1.5, below a 32-pixel panel: Rescan and the status bar stay on it.
        {QRect(0, 32, 1280, 688), QMargins(), QRect(50, 32, 1180, 688)},
        // A 1024 × 700 screen: the title bar no longer lies above its top edge.
        {QRect(0, 0, 1024, 700), titled, QRect(1, 37, 1022, 662)},
        // 1600 × 1000 at a scale of 1.5.
        {QRect(0, 0, 1066, 666), QMargins(1, 25, 1, 1), QRect(1, 25, 1064, 640)},
        // At a scale of 2 even the window's limits do not fit: they win, and the frame starts at
        // the area's corner, so that the title, menu and tool bars are on the screen.
        {QRect(0, 0, 800, 500), QMargins(1, 19, 1, 1), QRect(1, 19, 900, 560)},
        {QRect(1600, 24, 800, 500), QMargins(1, 19, 1, 1), QRect(1601, 43, 900, 560)},
    };
    for (const auto& [available, frame, expected] : cases) {
        const QRect placed = WindowPlacement::first(ideal, minimum, available, frame);
        EXPECT_EQ(placed, expected) << available.width() << "x" << available.height();
        EXPECT_EQ(WindowPlacement::fits(placed, frame, available), available.width() >= 902)
            << available.width() << "x" << available.height();
    }
}

TEST(AppStatusBarTest, VersionLiveStateAndTheProductLinkWithItsSeparatorOnlyWithAnAddress)
{
    EXPECT_EQ(AppStatusBarPresenter::version(u"1.4.2"_s, {}), u"v1.4.2"_s);
    EXPECT_EQ(AppStatusBarPresenter::version({}, u"87"_s), QString());

    const auto now = std::chrono::system_clock::now();
    EXPECT_EQ(AppStatusBarPresenter::liveState(false, now - 5min, 1, now), u"1 projects · scanned 5 min. ago"_s)
        << "the word stays plural";

    AppEnvironment env(FakeDiscovery().finding());
    const AppStatusBar without(env, {u"0.1.0"_s, {}, {}});
    EXPECT_EQ(without.findChild<QLabel*>(u"productPageLink"_s), nullptr);
    EXPECT_EQ(without.findChildren<QLabel*>(u"statusSeparator"_s).size(), 1) << "only the dot before the live state";
    EXPECT_EQ(child<QLabel>(without, u"statusLiveState"_s)->text(), u"Not scanned yet"_s);

    const AppStatusBar with(env, {u"0.1.0"_s, u"7"_s, u"https://example.com/threadhop"_s});
    EXPECT_EQ(child<QLabel>(with, u"productPageLink"_s)->text(),
              u"<a href=\"https://example.com/threadhop\">Threadhop Home</a>"_s);
    EXPECT_EQ(with.findChildren<QLabel*>(u"statusSeparator"_s).size(), 2);
    EXPECT_EQ(child<QLabel>(with, u"statusVersion"_s)->text(), u"v0.1.0 (7)"_s);
}

class RootViewTest : public WindowTest {
protected:
    QListView& list(const QString& name) { return *child<QListView>(*window, name); }
    QAction& rescan() { return *child<QAction>(*window, u"rescanAction"_s); }
    EmptyStateView& emptyState(const QString& name) { return *child<EmptyStateView>(*window, name); }
    QLineEdit& search() { return *child<QLineEdit>(*window, u"searchField"_s); }
    QToolButton& problemsOnly() { return *child<QToolButton>(*window, u"problemsOnlyToggle"_s); }
    QString text(const QString& label) { return child<QLabel>(*window, label)->text(); }
};

TEST_F(RootViewTest, FirstShowingScansTheHomeAndFillsEveryColumn)
{
    TranscriptHome::write(home());
    open(AppEnvironment::Discovery::standard());
    waitForScan(*env);

    EXPECT_EQ((QStringList{window->windowTitle(), child<QAction>(*window, u"historyAction"_s)->text(), rescan().text(),
                           text(u"toFixBadge"_s), text(u"statusLiveState"_s)}),
              (QStringList{u"Threadhop"_s, u"History"_s, u"Rescan"_s, u"3 to fix"_s, u"6 projects · scanned now"_s}));
    const QModelIndex accountRow = sidebarModel().index(0);
    EXPECT_EQ(std::tuple(sidebarModel().rowCount(), accountRow.data(AccountListModel::IdentityRole).toString(),
                         accountRow.data(AccountListModel::ProblemsBadgeRole).toString(),
                         list(u"accountsList"_s).selectionModel()->isRowSelected(0), listModel().rowCount(),
                         emptyState(u"projectsEmptyState"_s).isHidden()),
              std::tuple(1, u"ana@example.com"_s, u"3"_s, true, 6, true));
}

TEST_F(RootViewTest, TheListsTooltipsShowFoldersAndPathsAsWrittenNeverAsMarkupOrALink)
{
    ProjectFolder linked = project("a", "-w-open");
    linked.actualCwd = "/w/<a href=\"file:///etc/passwd\">open</a>";
    openScanned({account("a", "/home/<b><font size=7 color=red>URGENT</font></b>")}, {{"a", {linked}}});
    const std::pair<QString, int> lists[]{{u"accountsList"_s, AccountListModel::FolderRole},
                                          {u"projectsList"_s, Qt::DisplayRole}};
    for (const auto& [name, role] : lists) {
        QListView& shown = list(name);
        const QModelIndex first = shown.model()->index(0, 0);
        const QPoint at = shown.visualRect(first).center();
        QHelpEvent hover(QEvent::ToolTip, at, shown.viewport()->mapToGlobal(at));
        QApplication::sendEvent(shown.viewport(), &hover);
        const QLabel* tip = shownToolTip();
        ASSERT_NE(tip, nullptr) << name.toStdString();
        const DrawnText drawn = drawnText(*tip);
        EXPECT_EQ(std::tuple(drawn.text, drawn.link), std::tuple(first.data(role).toString(), false));
        EXPECT_TRUE(drawn.text.contains(u"</"_s)) << "the markup itself is shown";
        QToolTip::hideText();
    }
}

TEST_F(RootViewTest, AProjectsFolderThatCannotBeReadIsToldWhereTheListIsEmpty)
{
    const fs::path projects = home() / ".claude" / "projects";
    writeFile(projects, "a file where the folder should be");
    open(AppEnvironment::Discovery::standard());
    waitForScan(*env);
    ASSERT_EQ(sidebarModel().rowCount(), 1);
    EXPECT_EQ(
        std::tuple(emptyState(u"projectsEmptyState"_s).title(), emptyState(u"projectsEmptyState"_s).description()),
        std::tuple(u"No projects"_s,
                   u"Threadhop cannot read "_s + QString::fromStdString(projects.string()) + u": Not a directory."_s));
}

TEST_F(RootViewTest, RescanIsDisabledAndTheNoticeShownWhileScanning)
{
    *fake.accountsByCall = {{account("a")}};
    open(fake.discovery());
    ASSERT_TRUE(env->isScanning());
    QWidget& notice = *child<QWidget>(*window, u"scanningNotice"_s);
    EXPECT_EQ(
        std::tuple(rescan().isEnabled(), notice.isVisible(), text(u"scanningNoticeText"_s), text(u"statusLiveState"_s)),
        std::tuple(false, true, u"Scanning accounts and projects…"_s, u"Scanning…"_s));
    EXPECT_TRUE(emptyState(u"accountsEmptyState"_s).isHidden()) << "no \"No accounts found\" while the first scan runs";

    child<QAction>(*window, u"historyAction"_s)->trigger();
    ASSERT_TRUE(window->historyWindow() && window->historyWindow()->isVisible()) << "History opens while a scan runs";
    EXPECT_EQ(child<EmptyStateView>(*window->historyWindow(), u"historyEmptyState"_s)->title(), u"No migrations yet"_s);
    window->historyWindow()->close();

    fake.gate->release(1);
    waitForScan(*env);
    EXPECT_TRUE(rescan().isEnabled());
    EXPECT_FALSE(notice.isVisible());
}

TEST_F(RootViewTest, ShowingTheWindowAgainRescansOnlyWhileNoAccountWasFound)
{
    openScanned();
    EXPECT_TRUE(child<QLabel>(*window, u"toFixBadge"_s)->isHidden()) << "nothing to fix";
    EXPECT_TRUE(emptyState(u"accountsEmptyState"_s).isVisible());
    EXPECT_EQ(emptyState(u"accountsEmptyState"_s).title(), u"No accounts found"_s);
    EXPECT_EQ(emptyState(u"projectsEmptyState"_s).title(), u"Select an account"_s);

    window->hide();
    window->show();
    EXPECT_TRUE(env->isScanning());
    waitForScan(*env);

    *fake.accountsByCall = {{account("a")}};
    rescan().trigger();
    waitForScan(*env);
    window->hide();
    window->show();
    EXPECT_FALSE(env->isScanning());
}

TEST_F(RootViewTest, SearchAndProblemsOnlyNarrowTheListOfTheSelectedAccount)
{
    openScanned(
        {account("a"), account("b")},
        {{"a", {project("a", "-site"), project("a", "-api"), project("a", "-gone", ResumeStatus::targetMissing)}},
         {"b", {project("b", "-moved", ResumeStatus::cwdMismatch)}}});
    EXPECT_EQ(text(u"toFixBadge"_s), u"2 to fix"_s) << "problems of every account";
    auto* clear = child<QToolButton>(*window, u"clearSearchButton"_s);
    EXPECT_FALSE(clear->isVisible());
    QTest::keyClicks(&search(), u"SITEx"_s);
    problemsOnly().click();
    EXPECT_TRUE(clear->isVisible());
    EXPECT_EQ(listModel().rowCount(), 0);
    EXPECT_EQ(emptyState(u"projectsEmptyState"_s).description(),
              u"Two filters are on. Turn off “Problems only” to search all 3 projects."_s);

    clear->click();
    EXPECT_EQ(env->searchText(), "");
    EXPECT_FALSE(clear->isVisible());
    EXPECT_EQ(listModel().rowCount(), 1) << "only the problem project of the listed account";
    QTest::keyClicks(&search(), u"   "_s);
    EXPECT_TRUE(clear->isVisible()) << "blanks still show the clear button";
    env->setSelectedAccountId("b");
    EXPECT_TRUE(env->showOnlyProblems()) << "the filter outlives a change of account";
}

TEST_F(RootViewTest, TheToolbarOffersNoWayToHideItself)
{
    openScanned();
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

TEST_F(RootViewTest, TypingShowsTheFirstMatchWithoutMovingTheListAndKeepsTheSelectionItHides)
{
    std::vector<ProjectFolder> eighty;
    for (int i = 0; i < 80; ++i)
        eighty.push_back(project("a", "-code-app" + std::to_string(i)));
    openScanned({account("a")}, {{"a", eighty}});
    QListView& projects = list(u"projectsList"_s);
    projects.selectionModel()->select(listModel().index(79), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(env->selectedProjectId(), "a:-code-app79");
    projects.verticalScrollBar()->setValue(projects.verticalScrollBar()->maximum());
    const int listTop = projects.mapTo(window.get(), QPoint()).y();

    QTest::keyClicks(&search(), u"app1"_s);
    ASSERT_EQ(listModel().rowCount(), 11);
    EXPECT_EQ(projects.verticalScrollBar()->value(), 0) << "the first match is in view";
    EXPECT_EQ(projects.mapTo(window.get(), QPoint()).y(), listTop) << "the clear button did not grow the filter bar";
    EXPECT_EQ(env->selectedProjectId(), "a:-code-app79") << "a project the filter hides stays selected";

    QTest::keyClick(&search(), Qt::Key_Escape);
    EXPECT_EQ(search().text(), QString());
    EXPECT_EQ(env->searchText(), "");
    EXPECT_EQ(listModel().rowCount(), 80);
    EXPECT_TRUE(projects.selectionModel()->isRowSelected(79)) << "and shows selected again once it is listed";
}

TEST_F(RootViewTest, ProblemsOnlyIsPlainlyOnOrOff)
{
    openScanned();
    const QColor highlight = problemsOnly().palette().color(QPalette::Active, QPalette::Highlight);
    const auto shareOfHighlight = [&] {
        const QImage image = problemsOnly().grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        const auto near = std::count_if(pixels, pixels + image.width() * image.height(), [&](QRgb pixel) {
            return std::abs(qRed(pixel) - highlight.red()) + std::abs(qGreen(pixel) - highlight.green())
                + std::abs(qBlue(pixel) - highlight.blue())
                < 60;
        });
        return double(near) / (image.width() * image.height());
    };
    EXPECT_LT(shareOfHighlight(), 0.05);
    problemsOnly().click();
    ASSERT_TRUE(env->showOnlyProblems());
    EXPECT_GT(shareOfHighlight(), 0.4) << "on, the button is filled with the selection color";
    problemsOnly().click();
    EXPECT_LT(shareOfHighlight(), 0.05);
}

TEST_F(RootViewTest, KeyboardWalksTheColumnsLeftToRightAndTheFirstArrowChoosesTheFirstRow)
{
    openScanned({account("a"), account("b")}, {{"a", {project("a", "-one"), project("a", "-two")}}});
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QListView& accounts = list(u"accountsList"_s);
    QListView& projects = list(u"projectsList"_s);
    const auto ringShown = [](QWidget& list) { return child<QWidget>(list, u"focusRing"_s)->isVisible(); };

    accounts.setFocus();
    EXPECT_TRUE(ringShown(accounts));
    QStringList visited;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, (QStringList{u"searchField"_s, u"problemsOnlyToggle"_s, u"projectsList"_s}));
    EXPECT_FALSE(ringShown(accounts));
    EXPECT_TRUE(ringShown(projects)) << "the list with the keyboard focus shows it";

    QTest::keyClick(&projects, Qt::Key_Down);
    EXPECT_EQ(env->selectedProjectId(), "a:-one") << "the first Down chooses the first row";
    QTest::keyClick(&projects, Qt::Key_Down);
    EXPECT_EQ(env->selectedProjectId(), "a:-two");

    QTest::keyClick(&projects, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), u"problemsOnlyToggle"_s);
    accounts.setFocus();
    QTest::keyClick(&accounts, Qt::Key_Down);
    EXPECT_EQ(env->selectedAccountId(), "b") << "with a row selected, the arrows move on from it";

    QTest::keyClick(&accounts, Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    QWidget* history = QApplication::focusWidget();
    EXPECT_EQ(history->objectName(), u"historyActionButton"_s) << "the toolbar comes before the columns";
    QTest::keyClick(history, Qt::Key_Space);
    EXPECT_TRUE(window->historyWindow() && window->historyWindow()->isVisible()) << "opened from the keyboard";
}

TEST_F(RootViewTest, RemembersItsFrameAndColumnsBetweenRunsWithinTheirLimits)
{
    openScanned();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(window->height(), std::max(screen.height(), RootView::minimumWindowSize.height()))
        << "the first frame fits the screen unless the screen is smaller than the window's limits";
    EXPECT_LE(window->width(), std::max(screen.width(), RootView::minimumWindowSize.width()));
    window->resize(300, 200);
    EXPECT_EQ(window->size(), RootView::minimumWindowSize);

    const QRect frame(screen.topLeft() + QPoint(40, 60), RootView::minimumWindowSize);
    window->setGeometry(frame);
    auto* columns = child<QSplitter>(*window, u"columns"_s);
    const auto widths = [&] { return std::pair(columns->widget(0)->width(), columns->widget(1)->width()); };
    columns->setSizes({100, 100, frame.width() - 200});
    EXPECT_EQ(widths(), std::pair(220, 300)) << "the sidebar and the projects at their least";
    columns->setSizes({500, 300, frame.width() - 800});
    EXPECT_EQ(widths().first, 360) << "and the sidebar at its widest";
    columns->setSizes({230, 310, frame.width() - 540});
    window->close();
    waitForScan(*env);

    RootView again(*env);
    EXPECT_EQ(again.geometry(), frame);
    EXPECT_EQ(child<QSplitter>(again, u"columns"_s)->sizes().mid(0, 2), (QList<int>{230, 310}));
    EXPECT_TRUE(SettingsFile::open()->fileName().startsWith(QString::fromStdString(home().string())));

    again.show();
    again.setGeometry(QRect(9000, 7000, 950, 580));
    again.close();
    const RootView offScreen(*env);
    EXPECT_TRUE(screen.contains(offScreen.geometry().topLeft())) << "a frame off every screen comes onto one";
}

} // namespace
} // namespace threadhop::testing
