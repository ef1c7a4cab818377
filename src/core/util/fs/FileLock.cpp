#include "FileLock.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace threadhop {

FileLock::FileLock(std::filesystem::path file, int descriptor, File whenReleased)
    : m_file(std::move(file)), m_descriptor(descriptor), m_whenReleased(whenReleased)
{
}

namespace {

std::function<void()> openHook;

// Whether the path still names the file open as `descriptor`: a holder whose file goes on release
// removes it between our open and our lock, and a lock on a file nobody can find any more excludes
// nobody.
bool stillNamed(int descriptor, const std::filesystem::path& file)
{
    struct stat held { };
    struct stat named { };
    return ::fstat(descriptor, &held) == 0 && ::lstat(file.c_str(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
}

} // namespace

std::optional<FileLock> FileLock::tryTake(const std::filesystem::path& file, File whenReleased)
{
    for (;;) {
        const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (descriptor < 0)
            throw std::filesystem::filesystem_error("cannot open the lock file", file,
                                                    std::error_code(errno, std::generic_category()));
        if (openHook)
            std::exchange(openHook, nullptr)();
        int taken = 0;
        while ((taken = ::flock(descriptor, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) { }
        if (taken != 0) {
            ::close(descriptor);
            return std::nullopt;
        }
        if (stillNamed(descriptor, file))
            return FileLock(file, descriptor, whenReleased);
        ::close(descriptor);
    }
}

FileLock::ScopedOpenHook::ScopedOpenHook(std::function<void()> hook)
{
    openHook = std::move(hook);
}

FileLock::ScopedOpenHook::~ScopedOpenHook()
{
    openHook = nullptr;
}

FileLock::FileLock(FileLock&& other) noexcept
    : m_file(std::move(other.m_file)),
      m_descriptor(std::exchange(other.m_descriptor, -1)),
      m_whenReleased(other.m_whenReleased)
{
}

FileLock::~FileLock()
{
    if (m_descriptor < 0)
        return;
    if (m_whenReleased == File::goes)
        ::unlink(m_file.c_str());
    ::close(m_descriptor);
}

} // namespace threadhop
