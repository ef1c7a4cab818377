#pragma once

#include "JobPool.h"

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <functional>
#include <string>
#include <variant>

namespace threadhop {

/// What a background job's call threw, in the words the user is shown.
struct JobError {
    std::string text;

    bool operator==(const JobError&) const = default;
};

/// A finished job: the call's result, or what it threw.
template <typename T>
using JobOutcome = std::variant<T, JobError>;

namespace BackgroundJob {

/// The user-facing text of the exception being handled: the operating system's wording for
/// file-system and system errors, the message of any other exception. Call only from a handler.
std::string describeCurrentException();

/// Runs `work` on `pool` (the shared job pool when none is given) and hands its outcome to `deliver` on
/// `context`'s thread, without waiting and without an event loop of its own. Whatever `work` throws is
/// caught inside the job and delivered as its text. Once `context` is gone nothing is delivered; the
/// job still runs to its end, so `work` must hold copies of what it reads.
template <typename T>
void run(QObject& context, std::function<T()> work, std::function<void(JobOutcome<T>)> deliver,
         QThreadPool* pool = nullptr)
{
    // The watcher belongs to the context and dies with it, which is what stops a late delivery.
    auto* watcher = new QFutureWatcher<JobOutcome<T>>(&context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [watcher, deliver = std::move(deliver)] {
        watcher->deleteLater();
        deliver(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(pool ? pool : &JobPool::shared(), [work = std::move(work)]() -> JobOutcome<T> {
        try {
            return work();
        } catch (...) {
            return JobError{describeCurrentException()};
        }
    }));
}

} // namespace BackgroundJob
} // namespace threadhop
