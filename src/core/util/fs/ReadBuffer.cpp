#include "ReadBuffer.h"

#include "FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <simdjson.h>
#include <sys/stat.h>
#include <unistd.h>

namespace threadhop {

static_assert(ReadBuffer::padding >= simdjson::SIMDJSON_PADDING);

void ReadBuffer::reserve(std::size_t size)
{
    if (size + padding <= m_capacity)
        return;
    const std::size_t capacity = std::max(size, m_capacity * 2) + padding;
    auto grown = std::make_unique_for_overwrite<char[]>(capacity);
    if (m_size > 0)
        std::memcpy(grown.get(), m_data.get(), m_size);
    m_data = std::move(grown);
    m_capacity = capacity;
}

bool ReadBuffer::load(const std::filesystem::path& path, std::size_t limit)
{
    const FileDescriptor file(path, O_RDONLY);
    return loadOpenFile(file.get(), limit);
}

bool ReadBuffer::loadOpenFile(int descriptor, std::size_t limit)
{
    m_size = 0;
    struct stat info { };
    if (descriptor < 0 || ::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // The size is a hint: a file that grows while it is read is read to its end (or the limit).
    // One spare byte lets the read that meets the end of the file go without growing the buffer.
    const std::size_t hint = std::min(limit, static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)));
    reserve(hint == limit ? hint : hint + 1);
    while (m_size < limit) {
        if (m_size + padding == m_capacity)
            reserve(std::min(limit, std::max(m_size * 2, m_size + 65536)));
        const std::size_t room = std::min(limit, m_capacity - padding) - m_size;
        const ssize_t got = ::read(descriptor, m_data.get() + m_size, room);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            m_size = 0;
            return false;
        }
        if (got == 0)
            break;
        m_size += static_cast<std::size_t>(got);
    }
    std::memset(m_data.get() + m_size, 0, padding);
    return true;
}

} // namespace threadhop
