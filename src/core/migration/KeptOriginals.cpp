#include "KeptOriginals.h"

#include "core/operations/PendingOperation.h"
#include "core/util/fs/DiskFlush.h"
#include "core/util/fs/FileDescriptor.h"
#include "core/util/fs/PosixIO.h"

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

// The size of a regular file that is no link; -1 for anything else.
std::int64_t plainFileSize(const fs::path& file)
{
    std::error_code error;
    const auto status = fs::symlink_status(file, error);
    if (error || !fs::is_regular_file(status))
        return -1;
    const auto size = fs::file_size(file, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

// Appends the bytes of the open file `from` past its first `offset` to `to`, flushed; -1 when that
// fails, else how many bytes that was.
std::int64_t appendTail(int from, std::int64_t offset, const fs::path& to)
{
    const FileDescriptor target(to, O_WRONLY | O_APPEND);
    if (!target.isOpen())
        return -1;
    try {
        const std::int64_t copied = PosixIO::copyTail(from, offset, target.get(), to);
        return ::fsync(target.get()) == 0 ? copied : -1;
    } catch (const fs::filesystem_error&) {
        return -1;
    }
}

// Puts `original` back over `current`, the file that replaced it, with whatever another writer
// added to `current` past its first `writtenBytes` (-1: nothing to look for) appended to it. The
// replaced file stays open across the rename: a writer that reopens the file for every line may
// append to it until the very rename, and those lines are copied over after it.
bool putBackOver(const fs::path& original, const fs::path& current, std::int64_t writtenBytes)
{
    const FileDescriptor replaced(current, O_RDONLY);
    const bool watch = writtenBytes >= 0 && replaced.isOpen();
    std::int64_t copiedUpTo = writtenBytes;
    if (watch) {
        const std::int64_t copied = appendTail(replaced.get(), writtenBytes, original);
        if (copied < 0)
            return false;
        copiedUpTo += copied;
    }
    if (std::rename(original.c_str(), current.c_str()) != 0)
        return false;
    DiskFlush::folder(current.parent_path());
    return !watch || appendTail(replaced.get(), copiedUpTo, current) >= 0;
}

} // namespace

KeptOriginals::KeptOriginals(const fs::path& projectsRoot, const fs::path& projectFolder)
    : m_folder(WorkFolders::fresh(projectsRoot, WorkFolders::originals)), m_projectFolder(projectFolder)
{
}

void KeptOriginals::discard()
{
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

KeptOriginals::Kept* KeptOriginals::find(const fs::path& relative)
{
    for (auto& kept : m_kept) {
        if (kept.relative == relative)
            return &kept;
    }
    return nullptr;
}

fs::path KeptOriginals::placeFor(const fs::path& transcript)
{
    fs::path relative = transcript.lexically_relative(m_projectFolder);
    const fs::path place = m_folder / relative;
    // The new folders' entries must reach the disk before the originals they will hold.
    DiskFlush::createFolders(place.parent_path());
    if (!find(relative))
        m_kept.push_back({std::move(relative)});
    return place;
}

void KeptOriginals::replaced(const fs::path& transcript, std::int64_t readBytes, std::int64_t writtenBytes)
{
    if (Kept* kept = find(transcript.lexically_relative(m_projectFolder))) {
        kept->readBytes = readBytes;
        kept->writtenBytes = writtenBytes;
    }
}

std::vector<std::string> KeptOriginals::grown(const WhereNow& whereNow) const
{
    std::vector<std::string> found;
    for (const auto& kept : m_kept) {
        if (kept.readBytes < 0)
            continue;
        const fs::path current = whereNow(kept.relative.begin()->string()) / kept.relative;
        if (plainFileSize(m_folder / kept.relative) > kept.readBytes || plainFileSize(current) > kept.writtenBytes)
            found.push_back(kept.relative.string());
    }
    return found;
}

std::vector<std::string> KeptOriginals::putBack(const WhereNow& whereNow)
{
    std::vector<std::string> failed;
    for (const auto& kept : m_kept) {
        const fs::path original = m_folder / kept.relative;
        if (plainFileSize(original) < 0)
            continue; // never replaced
        const fs::path current = whereNow(kept.relative.begin()->string()) / kept.relative;
        // Lines another writer added to the new file since belong to the conversation too.
        const std::int64_t watchFrom = plainFileSize(current) < 0 ? -1 : kept.writtenBytes;
        if (!putBackOver(original, current, watchFrom))
            failed.push_back(kept.relative.string());
    }
    return failed;
}

} // namespace threadhop
