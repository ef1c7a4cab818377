#include "PosixIO.h"

#include <cerrno>
#include <system_error>

#include <unistd.h>

namespace threadhop {

void PosixIO::fail(const char* what, const std::filesystem::path& path, int error)
{
    throw std::filesystem::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

void PosixIO::writeAll(int descriptor, std::string_view bytes, const std::filesystem::path& path)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail("cannot write", path, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::int64_t PosixIO::copyTail(int from, std::int64_t offset, int to, const std::filesystem::path& path)
{
    char chunk[65536];
    const std::int64_t start = offset;
    for (;;) {
        const ssize_t got = ::pread(from, chunk, sizeof chunk, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail("cannot read", path, errno);
        if (got == 0)
            return offset - start;
        writeAll(to, std::string_view(chunk, static_cast<std::size_t>(got)), path);
        offset += got;
    }
}

} // namespace threadhop
