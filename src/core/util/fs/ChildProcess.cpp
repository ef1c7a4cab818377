#include "ChildProcess.h"

#include <cerrno>
#include <system_error>
#include <thread>

#include <csignal>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

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

class Pipe final {
public:
    Pipe()
    {
        if (::pipe2(m_ends, O_CLOEXEC) != 0)
            throw std::system_error(errno, std::generic_category(), "cannot create a pipe");
    }
    ~Pipe()
    {
        closeReadEnd();
        closeWriteEnd();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int readEnd() const { return m_ends[0]; }
    int writeEnd() const { return m_ends[1]; }
    void closeReadEnd() { closeEnd(0); }
    void closeWriteEnd() { closeEnd(1); }

private:
    void closeEnd(int end)
    {
        if (m_ends[end] >= 0)
            ::close(m_ends[end]);
        m_ends[end] = -1;
    }

    int m_ends[2] = {-1, -1};
};

void waitForExit(pid_t pid, ChildProcess::Outcome& outcome)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            outcome.exitStatus = -1;
            return;
        }
    }
    if (WIFEXITED(status)) {
        outcome.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
        outcome.exitStatus = 128 + outcome.signal;
    } else {
        outcome.exitStatus = -1;
    }
}

// The errno a child that could not start its program wrote, or 0 once the program runs (the
// pipe closes on exec).
int launchError(int readEnd)
{
    int error = 0;
    ssize_t got = 0;
    while ((got = ::read(readEnd, &error, sizeof error)) < 0 && errno == EINTR) { }
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

} // namespace

ChildProcess::Outcome ChildProcess::run(const std::filesystem::path& executable,
                                        const std::vector<std::string>& arguments)
{
    Pipe errors;
    Pipe launch; // carries errno to the parent when the program cannot be started
    auto argv = argumentVector(executable, arguments);
    const pid_t parent = ::getpid();
    // fork rather than posix_spawn: only a child of our own can ask to die with us, so that a tar
    // we wait for does not go on writing an archive nobody will name once we are killed.
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::system_error(errno, std::generic_category(), "cannot start " + executable.string());
    if (pid == 0) {
        // Only async-signal-safe calls from here: the parent may have other threads.
#ifdef __linux__
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127); // it died before the request took effect
#else
        (void)parent;
#endif
        if (::dup2(errors.writeEnd(), STDERR_FILENO) >= 0)
            ::execve(executable.c_str(), argv.data(), environ);
        const int error = errno;
        [[maybe_unused]] const ssize_t told = ::write(launch.writeEnd(), &error, sizeof error);
        ::_exit(127);
    }
    errors.closeWriteEnd();
    launch.closeWriteEnd();

    Outcome outcome;
    if (const int error = launchError(launch.readEnd()); error != 0) {
        waitForExit(pid, outcome);
        throw std::system_error(error, std::generic_category(), "cannot start " + executable.string());
    }
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(errors.readEnd(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        outcome.standardError.append(chunk, static_cast<std::size_t>(got));
    }
    waitForExit(pid, outcome);
    return outcome;
}

void ChildProcess::startDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments)
{
    auto argv = argumentVector(executable, arguments);
    pid_t pid = 0;
    if (posix_spawn(&pid, executable.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return;
    // Nobody waits for the result, but the child must not linger as a zombie.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    }).detach();
}

} // namespace threadhop
