#include "NewFile.h"

#include "PosixIO.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace threadhop {
namespace {

// Enough to keep the system calls few, small enough to stay in the cache.
constexpr std::size_t bufferSize = 1 << 20;

std::function<void(const std::filesystem::path&, std::int64_t)> writeHook;

} // namespace

NewFile::NewFile(std::filesystem::path path, unsigned mode) : m_path(std::move(path)), m_mode(mode) { }

NewFile::~NewFile()
{
    if (m_descriptor < 0)
        return;
    ::close(m_descriptor);
    if (!m_finished)
        ::unlink(m_path.c_str());
}

void NewFile::open()
{
    m_descriptor = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(m_mode));
    if (m_descriptor < 0)
        PosixIO::fail("cannot create", m_path, errno);
    m_buffer.reserve(bufferSize);
}

void NewFile::writeOut(std::string_view rest)
{
    if (writeHook)
        writeHook(m_path, m_written);
    m_written += static_cast<std::int64_t>(rest.size());
    PosixIO::writeAll(m_descriptor, rest, m_path);
}

void NewFile::flushBuffer()
{
    writeOut(m_buffer);
    m_buffer.clear();
}

void NewFile::write(std::string_view piece)
{
    if (m_descriptor < 0)
        open();
    if (m_buffer.size() + piece.size() > bufferSize)
        flushBuffer();
    if (piece.size() >= bufferSize) {
        writeOut(piece); // one large piece goes out as it is
        return;
    }
    m_buffer.append(piece);
}

void NewFile::finish()
{
    if (m_descriptor < 0)
        open();
    flushBuffer();
    // The creation mode went through the umask; the file must carry the one asked for.
    if (::fchmod(m_descriptor, static_cast<mode_t>(m_mode)) != 0 || ::fsync(m_descriptor) != 0)
        PosixIO::fail("cannot write", m_path, errno);
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    if (::close(descriptor) != 0) {
        const int error = errno;
        ::unlink(m_path.c_str());
        PosixIO::fail("cannot write", m_path, error);
    }
    m_finished = true;
}

NewFile::ScopedWriteHook::ScopedWriteHook(std::function<void(const std::filesystem::path&, std::int64_t)> hook)
{
    writeHook = std::move(hook);
}

NewFile::ScopedWriteHook::~ScopedWriteHook()
{
    writeHook = nullptr;
}

} // namespace threadhop
