#include "AtomicFile.h"

#include "DiskFlush.h"
#include "FileDescriptor.h"
#include "FileMetadata.h"
#include "NewFile.h"
#include "PosixIO.h"
#include "core/util/format/Uuid.h"

#include <cerrno>
#include <mutex>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace threadhop {
namespace {

using PosixIO::fail;
using PosixIO::writeAll;

using Moment = AtomicFile::ScopedReplaceHook::Moment;

std::mutex hookMutex;
std::function<void(const std::filesystem::path&)> replaceHook;
Moment hookMoment = Moment::beforeCheck;

void runHook(Moment moment, const std::filesystem::path& target)
{
    std::function<void(const std::filesystem::path&)> hook;
    {
        std::lock_guard lock(hookMutex);
        if (hookMoment == moment)
            hook = replaceHook;
    }
    if (hook)
        hook(target);
}

// Appends what the open file `from` holds past its first `offset` bytes to the end of `to`, and
// returns how many bytes that was.
std::int64_t appendTail(int from, std::int64_t offset, const std::filesystem::path& to)
{
    struct stat info { };
    if (::fstat(from, &info) != 0 || info.st_size <= offset)
        return 0;
    const FileDescriptor target(to, O_WRONLY | O_APPEND);
    if (!target.isOpen())
        fail("cannot keep what was appended to", to, errno);
    const std::int64_t copied = PosixIO::copyTail(from, offset, target.get(), to);
    ::fsync(target.get());
    return copied;
}

// Makes the file open as `current` (the one at `target`) reachable at `keep` as well, on the disk
// before the target is replaced: after a crash the original must still be there to put back.
void keepOriginal(int current, const std::filesystem::path& target, const std::filesystem::path& keep)
{
    if (::link(target.c_str(), keep.c_str()) == 0) {
        DiskFlush::folder(keep.parent_path());
        return;
    }
    if (errno != EXDEV && errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
        fail("cannot keep the original of", target, errno);
    const FileDescriptor copy(keep, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (!copy.isOpen())
        fail("cannot keep the original of", target, errno);
    PosixIO::copyTail(current, 0, copy.get(), keep);
    if (::fsync(copy.get()) != 0)
        fail("cannot keep the original of", target, errno);
    DiskFlush::folder(keep.parent_path());
}

constexpr std::string_view temporaryMark = ".threadhop-";
constexpr std::size_t uuidLength = 36;

// A hidden temporary file beside the target holding `content`, flushed, with the target's mode.
class TemporaryCopy final {
public:
    TemporaryCopy(const std::filesystem::path& target, std::string_view content)
        : m_path(AtomicFile::temporaryPath(target, Uuid::random()))
    {
        struct stat existing { };
        const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0)
            fail("cannot create a temporary file", m_path, errno);
        try {
            writeAll(fd, content, m_path);
            // The creation mode went through the umask; the copy must carry the target's own.
            if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
                fail("cannot write", m_path, errno);
        } catch (...) {
            ::close(fd);
            discard();
            throw;
        }
        if (::close(fd) != 0) {
            const int error = errno;
            discard();
            fail("cannot write", m_path, error);
        }
    }
    ~TemporaryCopy()
    {
        if (!m_renamed)
            discard();
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    void renameOver(const std::filesystem::path& target)
    {
        if (::rename(m_path.c_str(), target.c_str()) != 0)
            fail("cannot replace", target, errno);
        m_renamed = true;
        DiskFlush::folder(target.parent_path());
    }

private:
    void discard() { ::unlink(m_path.c_str()); }

    std::filesystem::path m_path;
    bool m_renamed = false;
};

} // namespace

void AtomicFile::write(const std::filesystem::path& target, std::string_view content)
{
    TemporaryCopy copy(target, content);
    copy.renameOver(target);
}

std::optional<std::int64_t> AtomicFile::writeIfUnchanged(const std::filesystem::path& target, std::string_view content,
                                                         const FileMetadata& expected,
                                                         const std::filesystem::path& keepOriginalAs)
{
    TemporaryCopy copy(target, content);
    // Held open across the rename: what lands in the old file after the check is still readable.
    const FileDescriptor current(target, O_RDONLY);
    runHook(Moment::beforeCheck, target);
    if (!current.isOpen() || FileMetadata::ofOpenFile(current.get()) != expected)
        return std::nullopt;
    if (!keepOriginalAs.empty())
        keepOriginal(current.get(), target, keepOriginalAs);
    runHook(Moment::beforeRename, target);
    copy.renameOver(target);
    return static_cast<std::int64_t>(content.size()) + appendTail(current.get(), expected.sizeBytes, target);
}

bool AtomicFile::putBack(const std::filesystem::path& original, const std::filesystem::path& target,
                         std::int64_t watchFrom)
{
    // Held open across the rename: a writer that reopens the file for every line may append to it
    // until the very rename, and those lines are copied over after it.
    const FileDescriptor replaced(target, O_RDONLY);
    const bool watch = watchFrom >= 0 && replaced.isOpen();
    std::int64_t copiedUpTo = watchFrom;
    try {
        if (watch)
            copiedUpTo += appendTail(replaced.get(), watchFrom, original);
        runHook(Moment::beforePutBack, target);
        if (::rename(original.c_str(), target.c_str()) != 0)
            return false;
        DiskFlush::folder(target.parent_path());
        if (watch)
            appendTail(replaced.get(), copiedUpTo, target);
    } catch (const std::filesystem::filesystem_error&) {
        return false;
    }
    return true;
}

void AtomicFile::create(const std::filesystem::path& target, std::string_view content, unsigned mode)
{
    NewFile file(target, mode);
    file.write(content);
    file.finish();
}

void AtomicFile::moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to)
{
    // A plain rename would silently replace a file that is already there.
    int error = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system that cannot refuse by itself: look first, then rename.
        error = FileMetadata::itemExists(to) ? EEXIST : (::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno);
    }
    if (error != 0)
        throw std::filesystem::filesystem_error("cannot move", from, to,
                                                std::error_code(error, std::generic_category()));
    // A crash must not take the move back once later steps rely on it.
    DiskFlush::folder(to.parent_path());
    if (from.parent_path() != to.parent_path())
        DiskFlush::folder(from.parent_path());
}

std::filesystem::path AtomicFile::temporaryPath(const std::filesystem::path& target, const Uuid& id)
{
    return target.parent_path() / ("." + target.filename().string() + std::string(temporaryMark) + id.lowerText());
}

bool AtomicFile::isTemporaryName(std::string_view name)
{
    if (!name.starts_with('.') || name.size() < 1 + temporaryMark.size() + uuidLength)
        return false;
    const std::string_view tail = name.substr(name.size() - uuidLength - temporaryMark.size());
    return tail.starts_with(temporaryMark) && Uuid::parse(tail.substr(temporaryMark.size()));
}

void AtomicFile::removeTemporaries(const std::filesystem::path& folder)
{
    std::error_code error;
    std::vector<std::filesystem::path> found;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (isTemporaryName(it->path().filename().string()) && it->is_regular_file(error))
            found.push_back(it->path());
    }
    for (const auto& file : found)
        std::filesystem::remove(file, error);
}

AtomicFile::ScopedReplaceHook::ScopedReplaceHook(Moment moment, std::function<void(const std::filesystem::path&)> hook)
{
    std::lock_guard lock(hookMutex);
    hookMoment = moment;
    replaceHook = std::move(hook);
}

AtomicFile::ScopedReplaceHook::~ScopedReplaceHook()
{
    std::lock_guard lock(hookMutex);
    replaceHook = nullptr;
}

} // namespace threadhop
