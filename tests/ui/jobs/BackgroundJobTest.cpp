#include "ui/jobs/BackgroundJob.h"
#include "support/ui/DiscoveryGate.h"
#include "support/ui/UiTest.h"
#include "ui/jobs/LatestJob.h"

#include "core/migration/MigrationError.h"

#include <QProcess>
#include <QThreadPool>

#include <memory>

namespace threadhop::testing {
namespace {

TEST(BackgroundJobTest, TheCallRunsOffTheGuiThreadAndItsResultOrErrorTextArrivesOnIt)
{
    const std::pair<std::function<int()>, JobOutcome<int>> cases[]{
        {[] { return QThread::currentThread() == QCoreApplication::instance()->thread() ? 0 : 42; }, 42},
        {[]() -> int { throw MigrationError::nameClash({"a.jsonl"}); },
         JobError{"The destination already holds a file with the same name: a.jsonl. Nothing was moved."}},
        {[]() -> int {
             throw std::filesystem::filesystem_error("cannot move", "/a", "/b",
                                                     std::make_error_code(std::errc::permission_denied));
         },
         JobError{"Permission denied in /"}},
        {[]() -> int { throw 7; }, JobError{"An unknown error occurred."}},
    };
    for (const auto& [work, expected] : cases) {
        QObject context;
        QThread* receiver = nullptr;
        std::optional<JobOutcome<int>> outcome;
        BackgroundJob::run<int>(context, work, [&](JobOutcome<int> delivered) {
            receiver = QThread::currentThread();
            outcome = delivered;
        });
        EXPECT_FALSE(outcome) << "never delivered from inside run()";
        ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
        EXPECT_EQ(std::tuple(receiver, *outcome), std::tuple(QThread::currentThread(), expected));
    }
}

TEST(BackgroundJobTest, AJobLeavesQtsGlobalPoolFreeAndDeliversNothingToAContextThatIsGone)
{
    auto gate = std::make_shared<DiscoveryGate>();
    bool delivered = false;
    auto context = std::make_unique<QObject>();
    BackgroundJob::run<int>(
        *context, [gate] { return gate->enter(); }, [&](JobOutcome<int>) { delivered = true; });
    ASSERT_TRUE(gate->waitForEntered(1));
    EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0) << "Qt's own drawing waits for that pool";
    context.reset();
    gate->openForAll();
    JobPool::shared().waitForDone();
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivered);
}

TEST(BackgroundJobTest, QuittingWaitsForAJobStillRunning)
{
    QProcess application;
    application.start(QString::fromUtf8(THREADHOP_QUITTING_CHILD), {});
    ASSERT_TRUE(application.waitForFinished(10'000));
    EXPECT_EQ(application.readAllStandardOutput(), "job ended\n") << "the job was cut off";
}

TEST(LatestJobTest, TheNewestRequestsOutcomeStaysWhateverOrderTheJobsFinishIn)
{
    // Which request's job finishes first, and the outcomes delivered in order.
    const std::pair<int, std::vector<int>> cases[]{{2, {2}}, {1, {1, 2}}};
    for (const auto& [firstToFinish, expected] : cases) {
        QObject context;
        LatestJob jobs(context);
        auto gate = std::make_shared<DiscoveryGate>();
        std::vector<int> delivered;
        std::size_t dropped = 0;
        // Each job answers its gate ticket, which is its request's number as they enter one by one.
        for (const int request : {1, 2}) {
            jobs.start<int>([gate] { return gate->enter(); },
                            [&](JobOutcome<int> outcome) { delivered.push_back(std::get<int>(outcome)); },
                            [&] { ++dropped; });
            ASSERT_TRUE(gate->waitForEntered(request));
        }
        gate->release(firstToFinish);
        ASSERT_TRUE(waitUntil([&] { return !delivered.empty(); }));
        EXPECT_TRUE(jobs.isRunning());
        gate->release(3 - firstToFinish);
        ASSERT_TRUE(waitUntil([&] { return !jobs.isRunning(); }));
        EXPECT_EQ(std::tuple(delivered, dropped), std::tuple(expected, 2 - expected.size()))
            << "request " << firstToFinish << " finished first";
    }
}

} // namespace
} // namespace threadhop::testing
