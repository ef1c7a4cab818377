#pragma once

#include "BackgroundJob.h"

#include <cstdint>

namespace threadhop {

/// Background jobs of one kind whose requests may overlap. An outcome is delivered unless the
/// outcome of a later request has been delivered already, so the newest request's outcome is the
/// one that stays, whatever order the jobs finish in.
class LatestJob final {
public:
    explicit LatestJob(QObject& context) : m_context(context) { }

    template <typename T>
    void start(std::function<T()> work, std::function<void(JobOutcome<T>)> deliver)
    {
        const std::uint64_t request = ++m_started;
        BackgroundJob::run<T>(m_context, std::move(work),
                              [this, request, deliver = std::move(deliver)](JobOutcome<T> outcome) {
                                  if (request < m_newestDelivered)
                                      return;
                                  m_newestDelivered = request;
                                  deliver(std::move(outcome));
                              });
    }

private:
    QObject& m_context;
    std::uint64_t m_started = 0;
    std::uint64_t m_newestDelivered = 0;
};

} // namespace threadhop
