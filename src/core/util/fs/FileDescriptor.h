#pragma once

#include <filesystem>

namespace threadhop {

/// An open regular file, closed when it goes.
class FileDescriptor final {
public:
    /// Opens `path` with `flags` only when it is a regular file (links followed). The open never
    /// waits: a FIFO or a device named like a transcript would otherwise hold the caller forever.
    /// Anything else leaves the descriptor closed with errno EOPNOTSUPP.
    FileDescriptor(const std::filesystem::path& path, int flags, int mode = 0);
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    /// True when `path` is a regular file that this process can open for reading now.
    static bool opensForReading(const std::filesystem::path& path);

    bool isOpen() const { return m_fd >= 0; }
    int get() const { return m_fd; }

private:
    void closeWith(int error);

    int m_fd;
};

} // namespace threadhop
