#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace threadhop::testing {

/// A program run by a test in a process of its own (the crash child), its standard output read as
/// it prints it, so that the test can kill it at chosen moments or read how it ended.
class ChildOperation final {
public:
    explicit ChildOperation(const std::vector<std::string>& arguments);
    ~ChildOperation();
    ChildOperation(const ChildOperation&) = delete;
    ChildOperation& operator=(const ChildOperation&) = delete;

    /// Waits (at most 60 s of silence) until the child prints the line `line`, or ends.
    void waitFor(const std::string& line);

    /// Everything the child printed, once it has ended (at most 60 s of silence are waited for).
    std::string output();

    /// Kills the child at once and waits for it, and (10 s at most) for the processes it started
    /// that outlive it for a moment, such as the compressor of a tar that died with it.
    void kill();

private:
    bool readMore();

    pid_t m_pid = 0;
    int m_output = -1;
    std::string m_seen = "\n";
};

/// True when process `pid` ends (or is left a zombie for its new parent to reap) within 10 s.
bool processEndsSoon(pid_t pid);

} // namespace threadhop::testing
