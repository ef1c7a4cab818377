#pragma once

#include "BackgroundJob.h"

#include <cstdint>

namespace threadhop {

/// Background jobs of one kind whose requests may overlap. An outcome is delivered unless the
/// outcome of a later request has been delivered already, so the newest request's outcome is the
/// one that stays, whatever order the jobs finish in.
class LatestJob final {
public:
    /// The jobs run on `pool`, or on the shared job pool when none is given.
    explicit LatestJob(QObject& context, QThreadPool* pool = nullptr) : m_context(context), m_pool(pool) { }

    /// Whether a job started here has not finished yet.
    bool isRunning() const { return m_running > 0; }

    /// Starts `work`. Its outcome goes to `deliver`, or, when a later request's outcome is in already,
    /// is dropped and `dropped` is called when given. Either call comes once isRunning() no longer
    /// counts the job.
    template <typename T>
    void start(std::function<T()> work, std::function<void(JobOutcome<T>)> deliver, std::function<void()> dropped = {})
    {
        const std::uint64_t request = ++m_started;
        ++m_running;
        BackgroundJob::run<T>(
            m_context, std::move(work),
            [this, request, deliver = std::move(deliver), dropped = std::move(dropped)](JobOutcome<T> outcome) {
                --m_running;
                if (request < m_newestDelivered) {
                    if (dropped)
                        dropped();
                    return;
                }
                m_newestDelivered = request;
                deliver(std::move(outcome));
            },
            m_pool);
    }

private:
    QObject& m_context;
    QThreadPool* m_pool;
    int m_running = 0;
    std::uint64_t m_started = 0;
    std::uint64_t m_newestDelivered = 0;
};

} // namespace threadhop
