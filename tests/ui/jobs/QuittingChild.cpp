// An application that quits while a background job still runs. The job lets the quit go ahead
// first, then works on for a moment and prints "job ended": the line is there only when quitting
// waited for the job.
#include "ui/jobs/BackgroundJob.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

int main(int argc, char** argv)
{
    using namespace threadhop;
    QCoreApplication application(argc, argv);
    std::promise<void> quitting;
    QObject context;
    BackgroundJob::run<int>(
        context,
        [left = quitting.get_future().share()] {
            left.wait();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            std::puts("job ended");
            return 0;
        },
        [](const JobOutcome<int>&) {});
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
    QCoreApplication::exec();
    quitting.set_value();
    return 0;
}
