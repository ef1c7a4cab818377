#include "FileDescriptor.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace threadhop {

FileDescriptor::FileDescriptor(const std::filesystem::path& path, int flags, int mode)
    : m_fd(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode))
{
    if (m_fd < 0)
        return;
    struct stat info { };
    const int refusal = ::fstat(m_fd, &info) != 0 ? errno : !S_ISREG(info.st_mode) ? EOPNOTSUPP : 0;
    if (refusal != 0) {
        closeWith(refusal);
        return;
    }
    // Only the open had to be kept from waiting; reads and writes keep their ordinary behaviour.
    if ((flags & O_NONBLOCK) == 0 && ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK) != 0)
        closeWith(errno);
}

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileDescriptor::opensForReading(const std::filesystem::path& path)
{
    return FileDescriptor(path, O_RDONLY | O_NONBLOCK).isOpen(); // nothing is read: no need to clear O_NONBLOCK
}

void FileDescriptor::closeWith(int error)
{
    ::close(m_fd);
    m_fd = -1;
    errno = error;
}

} // namespace threadhop
