#include "ChildOperation.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace threadhop::testing {

ChildOperation::ChildOperation(const std::vector<std::string>& arguments)
{
    int ends[2];
    EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    // The child leads a process group of its own, and what it leaves behind when killed comes to
    // this process, so that kill() can wait for exactly those processes.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&m_pid, argv[0], &actions, &attributes, argv.data(), environ);
    EXPECT_EQ(spawned, 0) << std::strerror(spawned);
    if (spawned != 0)
        m_pid = 0;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    m_output = ends[0];
}

ChildOperation::~ChildOperation()
{
    kill();
    ::close(m_output);
}

void ChildOperation::waitFor(const std::string& line)
{
    while (m_seen.find("\n" + line + "\n") == std::string::npos && readMore()) { }
}

std::string ChildOperation::output()
{
    while (readMore()) { }
    if (m_pid > 0)
        ::waitpid(m_pid, nullptr, 0);
    m_pid = 0;
    return m_seen.substr(1);
}

void ChildOperation::kill()
{
    if (m_pid <= 0)
        return; // never signal a whole process group
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    // A tar dies with the child, but the compressor it started may go on writing its archive for a
    // moment. A killed application starts again after that; a test that ran the next start's
    // recovery at once would race it.
    for (int tries = 0; tries < 1000; ++tries) {
        const pid_t reaped = ::waitpid(-m_pid, nullptr, WNOHANG);
        if (reaped < 0)
            break; // none of the group is left
        if (reaped == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = 0;
}

bool ChildOperation::readMore()
{
    char chunk[256];
    pollfd ready{m_output, POLLIN, 0};
    if (::poll(&ready, 1, 60000) <= 0)
        return false;
    const ssize_t got = ::read(m_output, chunk, sizeof chunk);
    if (got <= 0)
        return false;
    m_seen.append(chunk, static_cast<std::size_t>(got));
    return true;
}

bool processEndsSoon(pid_t pid)
{
    for (int tries = 0; tries < 1000; ++tries) {
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            return true;
        // A zombie has ended: only its new parent has yet to reap it.
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        std::getline(stat, text);
        const auto state = text.rfind(')');
        if (state != std::string::npos && text.size() > state + 2 && text[state + 2] == 'Z')
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace threadhop::testing
