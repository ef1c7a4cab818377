#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Programs are started by absolute path with an argument vector, never through a shell.
namespace threadhop::ChildProcess {

/// Starts `executable` with `arguments` and returns at once, without waiting, reading its output
/// or looking at its exit status. A failure to start is dropped. The child is reaped in the background.
void startDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments);

} // namespace threadhop::ChildProcess
