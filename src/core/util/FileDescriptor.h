#pragma once

#include <filesystem>

namespace threadhop {

/// An open file descriptor, closed when it goes.
class FileDescriptor final {
public:
    FileDescriptor(const std::filesystem::path& path, int flags, int mode = 0);
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace threadhop
