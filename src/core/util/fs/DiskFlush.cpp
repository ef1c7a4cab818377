#include "DiskFlush.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace threadhop {

void DiskFlush::file(const std::filesystem::path& path)
{
    const FileDescriptor descriptor(path, O_RDONLY);
    if (!descriptor.isOpen() || ::fsync(descriptor.get()) != 0)
        throw std::filesystem::filesystem_error("cannot flush", path, std::error_code(errno, std::generic_category()));
}

void DiskFlush::folder(const std::filesystem::path& path)
{
    // Not through FileDescriptor, which opens regular files only.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

} // namespace threadhop
