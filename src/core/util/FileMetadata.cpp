#include "FileMetadata.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace threadhop {

namespace {

FileMetadata fromStat(const struct stat& info)
{
    const auto sinceEpoch = std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
    return FileMetadata{
        .sizeBytes = static_cast<std::int64_t>(info.st_size),
        .modified = std::chrono::system_clock::time_point(
            std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch)),
        .isDirectory = S_ISDIR(info.st_mode),
    };
}

} // namespace

std::optional<FileMetadata> FileMetadata::read(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

std::optional<FileMetadata> FileMetadata::ofOpenFile(int descriptor)
{
    struct stat info {};
    if (::fstat(descriptor, &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

std::optional<FileMetadata> FileMetadata::readAt(int folderDescriptor, const char* name)
{
    struct stat info {};
    if (::fstatat(folderDescriptor, name, &info, 0) != 0)
        return std::nullopt;
    return fromStat(info);
}

std::chrono::system_clock::time_point distantPast()
{
    // The clock's own minimum (year 1677): no file date can come before it.
    return std::chrono::system_clock::time_point::min();
}

} // namespace threadhop
