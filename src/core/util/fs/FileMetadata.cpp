#include "FileMetadata.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace threadhop {

namespace {

// The clock counts nanoseconds in 64 bits (the years 1677 to 2262); a file dated outside that
// range stands at the nearer end instead of wrapping around.
std::chrono::system_clock::time_point fileDate(const timespec& stamp)
{
    using namespace std::chrono;
    using Clock = system_clock;
    constexpr seconds earliest = ceil<seconds>(Clock::time_point::min().time_since_epoch());
    constexpr seconds latest = floor<seconds>(Clock::time_point::max().time_since_epoch());
    const seconds whole(stamp.tv_sec);
    const nanoseconds fraction(stamp.tv_nsec);
    if (whole < earliest)
        return Clock::time_point::min();
    if (whole > latest || (whole == latest && fraction > Clock::time_point::max().time_since_epoch() - latest))
        return Clock::time_point::max();
    return Clock::time_point(duration_cast<Clock::duration>(whole + fraction));
}

FileMetadata fromStat(const struct stat& info)
{
    return FileMetadata{
        .sizeBytes = static_cast<std::int64_t>(info.st_size),
        .modified = fileDate(info.st_mtim),
        .isDirectory = S_ISDIR(info.st_mode),
        .isRegularFile = S_ISREG(info.st_mode),
    };
}

} // namespace

std::optional<FileMetadata> FileMetadata::read(const std::filesystem::path& path)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

std::optional<FileMetadata> FileMetadata::ofOpenFile(int descriptor)
{
    struct stat info { };
    if (::fstat(descriptor, &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

std::optional<FileMetadata> FileMetadata::readAt(int folderDescriptor, const char* name)
{
    struct stat info { };
    if (::fstatat(folderDescriptor, name, &info, 0) != 0)
        return std::nullopt;
    return fromStat(info);
}

bool FileMetadata::linkFreeBelow(const std::filesystem::path& base, const std::filesystem::path& relative)
{
    std::filesystem::path reached = base;
    for (const auto& component : relative) {
        reached /= component;
        struct stat info { };
        if (::lstat(reached.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            return false;
    }
    return true;
}

std::chrono::system_clock::time_point distantPast()
{
    // The clock's own minimum (year 1677): no file date can come before it.
    return std::chrono::system_clock::time_point::min();
}

bool FileMetadata::itemExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

} // namespace threadhop
