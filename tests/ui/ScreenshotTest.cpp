// Renders the main window over the fixture home into PNG files for a reviewer to look at. Runs
// only when THREADHOP_SCREENSHOTS=1; the files land in <build>/screenshots/.
#include "app/ThreadhopApp.h"
#include "ui/HelpWindow.h"
#include "ui/ProjectsListView.h"
#include "ui/RootView.h"
#include "helpers/DiscoveryGate.h"
#include "helpers/FixtureHome.h"
#include "helpers/UiTest.h"

#include <QListView>
#include <QTest>
#include <QToolButton>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;

class ScreenshotTest : public testing::HomeTest {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariable("THREADHOP_SCREENSHOTS") != u"1"_s)
            GTEST_SKIP() << "set THREADHOP_SCREENSHOTS=1 to render the screenshots";
        std::filesystem::create_directories(THREADHOP_SCREENSHOT_DIR);
        testing::FixtureHome::write(home());
    }

    static void save(QWidget& widget, const char* name)
    {
        QCoreApplication::processEvents();
        const auto path = std::filesystem::path(THREADHOP_SCREENSHOT_DIR) / name;
        ASSERT_TRUE(widget.grab().save(QString::fromStdString(path.string()))) << path;
    }
};

TEST_F(ScreenshotTest, MainWindowOverTheFixtureHome)
{
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

} // namespace
} // namespace threadhop
