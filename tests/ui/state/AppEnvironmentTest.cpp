#include "ui/state/AppEnvironment.h"
#include "support/ui/FakeDiscovery.h"
#include "ui/jobs/JobPool.h"

#include <QSignalSpy>
#include <QThreadPool>

#include <future>

namespace threadhop::testing {
namespace {

using Change = AppEnvironment::Change;
using Changes = AppEnvironment::Changes;

class AppEnvironmentTest : public HomeTest {
protected:
    FakeDiscovery fake;
    AppEnvironment env{fake.discovery()};
    QSignalSpy changes{&env, &AppEnvironment::changed};

    void TearDown() override { fake.gate->openForAll(); }

    void scanToEnd()
    {
        fake.gate->openForAll();
        rescan(env);
    }

    Changes change(int index) const { return changes.at(index).at(0).value<Changes>(); }
};

TEST_F(AppEnvironmentTest, AScanPublishesEverythingAsOneUpdateAndCountsOnlyRealProblems)
{
    *fake.accountsByCall = {{account("a"), account("b")}};
    (*fake.projects)["a"] = {project("a", "-ok"), project("a", "-tmp", ResumeStatus::ephemeralLocation),
                             project("a", "-none", ResumeStatus::noCwdRecorded),
                             project("a", "-moved", ResumeStatus::cwdMismatch)};
    (*fake.projects)["b"] = {project("b", "-gone", ResumeStatus::targetMissing)};

    env.scan();
    EXPECT_TRUE(env.isScanning());
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(change(0), Changes(Change::isScanning));
    EXPECT_TRUE(env.accounts().empty()) << "nothing is published before the scan ends";

    fake.gate->release(1);
    waitForScan(env);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(change(1),
              Change::isScanning | Change::accounts | Change::projectsByAccount | Change::lastScanFinished
                  | Change::selectedAccountId);
    EXPECT_EQ(*fake.callsOnGuiThread, 0) << "discovery ran on the GUI thread";
    EXPECT_EQ(std::tuple(env.accounts().size(), env.selectedAccountId(), env.lastScanFinished().has_value(),
                         env.totalProjects()),
              std::tuple(2u, "a", true, 5));
    EXPECT_EQ(env.problems("a"), 1) << "temporary and unrecorded locations are not problems";
    EXPECT_EQ(env.totalProblems(), 2) << "every account counts, whichever is selected";
    EXPECT_EQ(env.problems("unknown"), 0);
    EXPECT_TRUE(env.projects(std::string("unknown")).empty());

    env.setSelectedProjectId("b:-gone");
    EXPECT_EQ(env.selectedProject(), std::nullopt) << "a project of another account than the selected one";
    env.setSelectedAccountId("b");
    EXPECT_EQ(env.selectedProject(), project("b", "-gone", ResumeStatus::targetMissing));
}

TEST_F(AppEnvironmentTest, EachScanReplacesTheListsWholeAndRepairsTheSelection)
{
    *fake.accountsByCall = {{account("a"), account("b")}, {account("a"), account("b")}, {account("c")}, {}};
    (*fake.projects)["a"] = {project("a", "-x"), project("a", "-y")};
    scanToEnd();
    env.setSelectedAccountId("b");
    changes.clear();

    (*fake.projects)["a"] = {project("a", "-y")};
    scanToEnd();
    EXPECT_EQ(env.projects(std::string("a")), std::vector{project("a", "-y")});
    EXPECT_EQ(env.selectedAccountId(), "b") << "an account that still exists stays selected";
    EXPECT_FALSE(change(changes.size() - 1).testFlag(Change::selectedAccountId)) << "and is not reassigned";

    scanToEnd();
    EXPECT_EQ(env.selectedAccountId(), "c") << "a vanished account is replaced by the first";

    scanToEnd();
    EXPECT_EQ(std::tuple(env.accounts().size(), env.projectsByAccount().size(), env.selectedAccountId(),
                         env.lastScanFinished().has_value()),
              std::tuple(0u, 0u, std::nullopt, true));
}

TEST_F(AppEnvironmentTest, SettersPublishOnlyRealChanges)
{
    env.setSearchText("abc");
    env.setSearchText("abc");
    env.setShowOnlyProblems(true);
    env.setShowOnlyProblems(true);
    env.setSelectedProjectId("p");
    env.setSelectedProjectId("p");
    ASSERT_EQ(changes.size(), 3);
    EXPECT_EQ((std::vector{change(0), change(1), change(2)}),
              (std::vector<Changes>{Change::searchText, Change::showOnlyProblems, Change::selectedProjectId}));
}

TEST_F(AppEnvironmentTest, OverlappingScansKeepScanningUntilTheLastEndsAndNeverPublishOlderData)
{
    *fake.accountsByCall = {{account("older")}, {account("newer")}};
    env.scan();
    ASSERT_TRUE(fake.gate->waitForEntered(1));
    env.scan();
    ASSERT_TRUE(fake.gate->waitForEntered(2));

    fake.gate->release(2);
    ASSERT_TRUE(waitUntil([&] { return !env.accounts().empty(); }));
    EXPECT_EQ(env.accounts()[0].id, "newer");
    EXPECT_TRUE(env.isScanning()) << "the other scan is still running";

    fake.gate->release(1);
    ASSERT_TRUE(waitUntil([&] { return !env.isScanning(); }));
    EXPECT_EQ(env.accounts()[0].id, "newer") << "the scan that started first read older data";
    EXPECT_EQ(change(changes.size() - 1), Changes(Change::isScanning)) << "and only its end is published";
}

TEST_F(AppEnvironmentTest, NothingWaitsForAScanThatIsHeldUp)
{
    using namespace std::chrono_literals;
    auto leaving = std::make_unique<AppEnvironment>(fake.discovery());
    leaving->scan();
    ASSERT_TRUE(fake.gate->waitForEntered(1));
    // When the application ends, it waits for every job of the shared pool and of Qt's global pool.
    EXPECT_EQ(JobPool::shared().activeThreadCount() + QThreadPool::globalInstance()->activeThreadCount(), 0);

    // Should the state wait for the scan after all, the watchdog lets the scan go: the test fails instead of hanging.
    std::promise<void> leftInTime;
    auto watchdog = std::async(std::launch::async, [gate = fake.gate, left = leftInTime.get_future()] {
        if (left.wait_for(3s) == std::future_status::timeout)
            gate->openForAll();
    });
    const auto start = std::chrono::steady_clock::now();
    leaving.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "the state waited for a scan that reads a stalled file";
    leftInTime.set_value();
}

} // namespace
} // namespace threadhop::testing
