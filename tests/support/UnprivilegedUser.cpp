#include "UnprivilegedUser.h"

#include <exception>

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace threadhop::testing {

std::string asUnprivilegedUser(const std::filesystem::path& owned, const std::function<std::string()>& call)
{
    constexpr uid_t unprivileged = 65534;
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        std::string said;
        try {
            if (::geteuid() == 0) {
                ::lchown(owned.c_str(), unprivileged, unprivileged);
                for (const auto& entry : std::filesystem::recursive_directory_iterator(owned))
                    ::lchown(entry.path().c_str(), unprivileged, unprivileged);
                if (::setgroups(0, nullptr) != 0 || ::setgid(unprivileged) != 0 || ::setuid(unprivileged) != 0)
                    ::_exit(3);
            }
            said = call();
        } catch (const std::exception& error) {
            said = error.what();
        }
        for (std::size_t at = 0; at < said.size();) {
            const ssize_t written = ::write(ends[1], said.data() + at, said.size() - at);
            if (written <= 0)
                ::_exit(4);
            at += static_cast<std::size_t>(written);
        }
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(got));
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not run as another user";
    return said;
}

} // namespace threadhop::testing
