#pragma once

#include <filesystem>
#include <functional>
#include <vector>

// FIFOs named like the files a reader looks for, and a way to tell a reader that returns from one
// that waits on them.
namespace threadhop::testing {

/// Makes a FIFO at `path`, creating its folders.
void makeFifo(const std::filesystem::path& path);

/// Runs `call` on a thread of its own; true when it returns within five seconds. A call that is
/// still waiting then is let go (a writer opens and closes each of `fifos` until the call returns),
/// so that a reader that waits fails its test instead of hanging it.
bool returnsPromptly(const std::function<void()>& call, const std::vector<std::filesystem::path>& fifos);

} // namespace threadhop::testing
