#pragma once

#include <filesystem>
#include <functional>
#include <optional>

namespace threadhop {

/// An exclusive flock(2) on a file, held until this object goes or the process ends, however it
/// ends. Each holder opens the file itself, so two holders in one process exclude each other too.
class FileLock final {
public:
    /// Whether the lock file goes when the lock is released. A file that stays can never be
    /// locked by two holders at once; one that goes leaves nothing behind.
    enum class File { stays, goes };

    /// Takes the lock without waiting, creating the file (not its folder) when missing. Nothing
    /// when another holder has it. Throws std::filesystem::filesystem_error when the file cannot
    /// be opened.
    static std::optional<FileLock> tryTake(const std::filesystem::path& file, File whenReleased);

    /// Test seam: while alive, `hook` runs in tryTake between opening the file and locking it, where
    /// another holder may let go of it.
    class ScopedOpenHook final {
    public:
        explicit ScopedOpenHook(std::function<void()> hook);
        ~ScopedOpenHook();
        ScopedOpenHook(const ScopedOpenHook&) = delete;
        ScopedOpenHook& operator=(const ScopedOpenHook&) = delete;
    };

    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock& operator=(FileLock&&) = delete;

private:
    FileLock(std::filesystem::path file, int descriptor, File whenReleased);

    std::filesystem::path m_file;
    int m_descriptor = -1;
    File m_whenReleased = File::stays;
};

} // namespace threadhop
