#include "ChildProcess.h"

#include <cerrno>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

class FileActions final {
public:
    FileActions() { posix_spawn_file_actions_init(&m_actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&m_actions); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
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

} // namespace

ChildProcess::Outcome ChildProcess::run(const std::filesystem::path& executable,
                                        const std::vector<std::string>& arguments)
{
    Pipe errors;
    FileActions actions;
    posix_spawn_file_actions_adddup2(actions.get(), errors.writeEnd(), STDERR_FILENO);
    auto argv = argumentVector(executable, arguments);
    pid_t pid = 0;
    if (const int error = posix_spawn(&pid, executable.c_str(), actions.get(), nullptr, argv.data(), environ);
        error != 0)
        throw std::system_error(error, std::generic_category(), "cannot start " + executable.string());
    errors.closeWriteEnd();

    Outcome outcome;
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
