#include "UnprivilegedUser.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace threadhop::testing {
namespace {

namespace fs = std::filesystem;

// Why `home` could not be given to the unprivileged user; empty when it was.
std::string handOver(const fs::path& home)
{
    const auto give = [](const fs::path& path) {
        return ::lchown(path.c_str(), unprivilegedUserId, unprivilegedUserId) == 0
            ? std::string()
            : path.string() + ": " + std::strerror(errno);
    };
    std::string failure = give(home);
    std::error_code error;
    for (fs::recursive_directory_iterator it(home, error), end; failure.empty() && !error && it != end;
         it.increment(error))
        failure = give(it->path());
    return failure.empty() && error ? home.string() + ": " + error.message() : failure;
}

bool switchUser()
{
    return ::setgroups(0, nullptr) == 0 && ::setresgid(unprivilegedUserId, unprivilegedUserId, unprivilegedUserId) == 0
        && ::setresuid(unprivilegedUserId, unprivilegedUserId, unprivilegedUserId) == 0;
}

// What the child says, and how it ends: 0 when the check ran, 1 when it could not switch, 2 when
// the check threw.
[[noreturn]] void runChild(int output, bool root, const std::function<std::string()>& check)
{
    std::string said;
    int status = 0;
    if (root && !switchUser()) {
        said = "cannot switch to user " + std::to_string(unprivilegedUserId) + ": " + std::strerror(errno);
        status = 1;
    } else {
        try {
            said = check();
        } catch (const std::exception& error) {
            said = std::string("the check threw: ") + error.what();
            status = 2;
        } catch (...) {
            said = "the check threw";
            status = 2;
        }
    }
    for (std::size_t written = 0; written < said.size();) {
        const ssize_t got = ::write(output, said.data() + written, said.size() - written);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        written += static_cast<std::size_t>(got);
    }
    // No exit handlers: they belong to the parent's test run.
    ::_exit(status);
}

} // namespace

std::optional<std::string> asUnprivilegedUser(const fs::path& home, const std::function<std::string()>& check)
{
    const bool root = ::geteuid() == 0;
    if (const std::string failure = root ? handOver(home) : std::string(); !failure.empty()) {
        ADD_FAILURE() << "cannot hand the home to user " << unprivilegedUserId << ": " << failure;
        return std::nullopt;
    }
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "cannot make a pipe: " << std::strerror(errno);
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        runChild(pipe[1], root, check);
    }
    ::close(pipe[1]);
    if (child < 0) {
        ADD_FAILURE() << "cannot fork: " << std::strerror(errno);
        ::close(pipe[0]);
        return std::nullopt;
    }
    std::string said;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(pipe[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        said.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipe[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "the unprivileged check did not finish: " << (said.empty() ? "it died" : said);
        return std::nullopt;
    }
    return said;
}

} // namespace threadhop::testing
