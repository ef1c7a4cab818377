#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace threadhop {

/// A byte buffer that is reused from file to file (a fresh allocation per large file costs more
/// than parsing it). Zeroed padding follows the content, so a JSON parser may read a little past
/// the end of any line inside it.
class ReadBuffer final {
public:
    static constexpr std::size_t padding = 64;
    static constexpr std::size_t wholeFile = static_cast<std::size_t>(-1);

    /// Replaces the content with the file's first `limit` bytes (the whole file by default).
    /// False, with the content empty, when the file cannot be opened or read or is not a regular
    /// file (a folder, a FIFO, a device); such a file is never waited for.
    bool load(const std::filesystem::path& path, std::size_t limit = wholeFile);
    /// The same from a regular file already open for reading, from its current position.
    bool loadOpenFile(int descriptor, std::size_t limit = wholeFile);

    std::string_view content() const { return {m_data.get(), m_size}; }

private:
    void reserve(std::size_t size);

    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};

} // namespace threadhop
