#include "KeptOriginals.h"

#include "core/operations/PendingOperation.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/DiskFlush.h"

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
        if (!AtomicFile::putBack(original, current, watchFrom))
            failed.push_back(kept.relative.string());
    }
    return failed;
}

} // namespace threadhop
