#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace threadhop {

/// A file made afresh (it must not exist yet), written in pieces through a buffer, and flushed to
/// the disk when finished; removed again when it goes unfinished, so a failed write never leaves
/// half a file. The file is created at the first write.
class NewFile final {
public:
    NewFile(std::filesystem::path path, unsigned mode);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    /// Throws std::filesystem::filesystem_error (EEXIST when something is already at the path).
    void write(std::string_view piece);

    /// Writes what is buffered, sets the mode, flushes the file and closes it (creating it, empty,
    /// when nothing was written). Throws std::filesystem::filesystem_error.
    void finish();

    /// Whether anything was written (or finish() created it).
    bool isOpen() const { return m_descriptor >= 0; }

    /// Test seam: while alive, `hook` runs before every write to the disk with the file and the
    /// bytes written so far; what it throws is thrown by the write, as a full disk would be.
    class ScopedWriteHook final {
    public:
        explicit ScopedWriteHook(std::function<void(const std::filesystem::path&, std::int64_t written)> hook);
        ~ScopedWriteHook();
        ScopedWriteHook(const ScopedWriteHook&) = delete;
        ScopedWriteHook& operator=(const ScopedWriteHook&) = delete;
    };

private:
    void open();
    void writeOut(std::string_view bytes);
    void flushBuffer();

    std::filesystem::path m_path;
    unsigned m_mode;
    int m_descriptor = -1;
    bool m_finished = false;
    std::string m_buffer;
    std::int64_t m_written = 0;
};

} // namespace threadhop
