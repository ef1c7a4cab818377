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

void DiskFlush::createFolders(const std::filesystem::path& path)
{
    std::filesystem::path existing = path;
    std::error_code error;
    while (!existing.empty() && existing != existing.root_path() && !std::filesystem::exists(existing, error))
        existing = existing.parent_path();
    if (!std::filesystem::create_directories(path))
        return;
    for (std::filesystem::path made = path; made != existing; made = made.parent_path())
        folder(made.parent_path());
}

} // namespace threadhop
