#include "ChildProcess.h"

#include <cerrno>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace threadhop {
namespace {

std::vector<char*> argumentVector(const std::filesystem::path& executable, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

} // namespace

void ChildProcess::startDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments)
{
    auto argv = argumentVector(executable, arguments);
    pid_t pid = 0;
    if (posix_spawn(&pid, executable.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return;
    // Nobody waits for the result, but the child must not linger as a zombie.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace threadhop
