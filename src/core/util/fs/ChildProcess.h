#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Programs are started by absolute path with an argument vector, never through a shell.
namespace threadhop::ChildProcess {

/// How a program that was waited for ended.
struct Outcome {
    int exitStatus = 0;        ///< 0 for success; 128 + the signal for a program killed by one
    int signal = 0;            ///< the signal that killed it; 0 when it exited by itself
    std::string standardError; ///< everything it wrote there, as bytes
};

/// Starts `executable` with `arguments` and waits for it. Its standard error is drained through a
/// pipe while it runs (so a chatty program never blocks on a full pipe); standard output is
/// inherited. On Linux the program is killed when this process dies, so that it never outlives
/// the operation it serves. Throws std::system_error when the program cannot be started.
Outcome run(const std::filesystem::path& executable, const std::vector<std::string>& arguments);

/// Starts `executable` with `arguments` and returns at once, without waiting, reading its output
/// or looking at its exit status; it outlives this process (a terminal the user opened). A failure
/// to start is dropped. The child is reaped in the background.
void startDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments);

} // namespace threadhop::ChildProcess
