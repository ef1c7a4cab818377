#include "Fifo.h"

#include <chrono>
#include <future>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace threadhop::testing {

void makeFifo(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path.parent_path());
    if (::mkfifo(path.c_str(), 0644) != 0)
        throw std::system_error(errno, std::generic_category(), "mkfifo " + path.string());
}

bool returnsPromptly(const std::function<void()>& call, const std::vector<std::filesystem::path>& fifos)
{
    using namespace std::chrono_literals;
    auto finished = std::async(std::launch::async, call);
    bool prompt = true;
    for (std::chrono::milliseconds limit = 5s; finished.wait_for(limit) != std::future_status::ready; limit = 50ms) {
        prompt = false;
        // A reader waiting to open a FIFO is let in by a writer; once the writer closes, it reads the end.
        for (const auto& fifo : fifos) {
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);
        }
    }
    finished.get();
    return prompt;
}

} // namespace threadhop::testing
