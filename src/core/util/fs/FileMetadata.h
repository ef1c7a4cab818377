#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace threadhop {

/// Size and content-modification date of a file, read with one stat call (links followed). Also
/// what identifies one version of a file: an append changes both.
struct FileMetadata {
    std::int64_t sizeBytes = 0;
    std::chrono::system_clock::time_point modified;
    bool isDirectory = false;
    bool isRegularFile = false; ///< not a folder, FIFO, socket or device

    bool operator==(const FileMetadata&) const = default;

    /// Nothing when the item cannot be queried.
    static std::optional<FileMetadata> read(const std::filesystem::path& path);
    /// The same for `name` inside the open folder `folderDescriptor` (no path lookup from the root).
    static std::optional<FileMetadata> readAt(int folderDescriptor, const char* name);
    /// The same for a file already open.
    static std::optional<FileMetadata> ofOpenFile(int descriptor);

    /// True when anything is at `path`: a file, a folder, or a link (even one that leads nowhere).
    static bool itemExists(const std::filesystem::path& path);

    /// True when no component of `relative` below `base` is a symbolic link (one that does not
    /// exist is none): what is reached that way stays inside `base`.
    static bool linkFreeBelow(const std::filesystem::path& base, const std::filesystem::path& relative);
};

/// The date that stands in where no file date can be read: earlier than any file date.
std::chrono::system_clock::time_point distantPast();

} // namespace threadhop
