#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

namespace threadhop::testing {

/// Holds discovery calls on their worker threads until the test lets them go, so that a test
/// sees a scan while it runs. Calls are numbered from 1 in the order they arrive.
class DiscoveryGate {
public:
    /// Called by a fake discovery call: takes the next number and waits until it is released.
    int enter()
    {
        std::unique_lock lock(m_mutex);
        const int ticket = ++m_entered;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_openForAll || m_released.contains(ticket); });
        return ticket;
    }

    /// Waits (blocking the caller, up to five seconds) until `count` calls have arrived.
    bool waitForEntered(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_entered >= count; });
    }

    void release(int ticket)
    {
        std::lock_guard lock(m_mutex);
        m_released.insert(ticket);
        m_changed.notify_all();
    }

    /// Lets every call, present and future, through.
    void openForAll()
    {
        std::lock_guard lock(m_mutex);
        m_openForAll = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_entered = 0;
    std::set<int> m_released;
    bool m_openForAll = false;
};

} // namespace threadhop::testing
