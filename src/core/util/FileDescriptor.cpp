#include "FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

namespace threadhop {

FileDescriptor::FileDescriptor(const std::filesystem::path& path, int flags, int mode)
    : m_fd(::open(path.c_str(), flags | O_CLOEXEC, mode))
{
}

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace threadhop
