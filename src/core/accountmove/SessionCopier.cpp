#include "SessionCopier.h"

#include "core/util/fs/DiskFlush.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/fs/NewFile.h"

#include <algorithm>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

// A session id names a file and a folder inside the project folder, and nothing else.
bool isPlainName(std::string_view id)
{
    return !id.empty() && id != "." && id != ".." && id.find('/') == std::string_view::npos
        && id.find('\0') == std::string_view::npos;
}

void sortByPath(std::vector<fs::path>& paths)
{
    // Plain text order: "<id>.jsonl" sorts before "<id>/…" because "." comes before "/".
    std::sort(paths.begin(), paths.end(), [](const fs::path& a, const fs::path& b) { return a.native() < b.native(); });
}

// Appends every regular file below `folder`, hidden ones included; links are not followed.
// Items that cannot be queried, and whatever lies past a listing error, are left out.
void appendRegularFiles(const fs::path& folder, std::vector<fs::path>& files)
{
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code statusError;
        if (it->symlink_status(statusError).type() == fs::file_type::regular)
            files.push_back(it->path());
    }
}

std::int64_t sizeOf(const std::vector<fs::path>& files)
{
    std::int64_t total = 0;
    for (const auto& file : files) {
        if (const auto metadata = FileMetadata::read(file); metadata && !metadata->isDirectory)
            total += metadata->sizeBytes;
    }
    return total;
}

// Anything at all, a dangling link included.
bool isTaken(const fs::path& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

// Copies one file with its mode, or writes the content `rewrite` gives it; flushed either way, as
// the copy is what the target account keeps.
void copyFile(const fs::path& from, const fs::path& to, const SessionCopier::Rewrite& rewrite)
{
    if (rewrite) {
        NewFile file(to, static_cast<unsigned>(fs::status(from).permissions()));
        if (rewrite(from, [&](std::string_view piece) { file.write(piece); })) {
            file.finish();
            return;
        }
    }
    fs::copy_file(from, to);
    DiskFlush::file(to);
}

// Recreates the tree of `from` at `to`: folders made afresh, files copied with their mode, links
// as links; sockets and pipes are skipped (the count check then reports the difference).
void copyTree(const fs::path& from, const fs::path& to, const SessionCopier::Rewrite& rewrite)
{
    fs::create_directory(to);
    std::vector<fs::path> folders{to};
    for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path destination = to / it->path().lexically_relative(from);
        switch (it->symlink_status().type()) {
        case fs::file_type::directory:
            fs::create_directory(destination);
            folders.push_back(destination);
            break;
        case fs::file_type::regular:
            copyFile(it->path(), destination, rewrite);
            break;
        case fs::file_type::symlink:
            fs::copy_symlink(it->path(), destination);
            break;
        default:
            break;
        }
    }
    for (const auto& folder : folders)
        DiskFlush::folder(folder);
}

} // namespace

SessionCopier::CopyError::CopyError(Kind kind, std::string payload, const std::string& description)
    : UserError(description, std::move(payload)), m_kind(kind)
{
}

SessionCopier::CopyError SessionCopier::CopyError::transcriptMissing(std::string path)
{
    const std::string description = "Transcript not found: " + path;
    return {Kind::transcriptMissing, std::move(path), description};
}

SessionCopier::CopyError SessionCopier::CopyError::destinationExists(std::string path)
{
    const std::string description = "Destination already has this conversation: " + path;
    return {Kind::destinationExists, std::move(path), description};
}

SessionCopier::CopyError SessionCopier::CopyError::verificationFailed(std::string detail)
{
    const std::string description = "Copy verification failed: " + detail;
    return {Kind::verificationFailed, std::move(detail), description};
}

std::vector<fs::path> SessionCopier::Layout::jsonlFiles() const
{
    std::vector<fs::path> files;
    std::copy_if(allFiles.begin(), allFiles.end(), std::back_inserter(files),
                 [](const fs::path& file) { return file.extension() == ".jsonl"; });
    return files;
}

std::int64_t SessionCopier::Layout::totalBytes() const
{
    return sizeOf(allFiles);
}

SessionCopier::Layout SessionCopier::layout(std::string_view sessionId, const fs::path& folder)
{
    Layout result;
    result.transcript = folder / (std::string(sessionId) + ".jsonl");
    std::error_code error;
    if (!isPlainName(sessionId) || !fs::exists(result.transcript, error))
        throw CopyError::transcriptMissing(result.transcript.string());
    result.allFiles.push_back(result.transcript);
    const fs::path sidecar = folder / sessionId;
    if (fs::is_directory(sidecar, error)) {
        result.sidecar = sidecar;
        appendRegularFiles(sidecar, result.allFiles);
    }
    sortByPath(result.allFiles);
    return result;
}

SessionCopier::CopyResult SessionCopier::copy(const Layout& layout, const fs::path& toFolder,
                                              std::string_view newSessionId, const Rewrite& rewrite)
{
    fs::create_directories(toFolder);
    CopyResult result;
    result.destinationTranscript = toFolder / (std::string(newSessionId) + ".jsonl");
    const fs::path sidecar = toFolder / newSessionId;
    // The side folder's name is checked even without a side folder to copy: whatever stands
    // there would be taken for this conversation's side folder.
    for (const auto& path : {result.destinationTranscript, sidecar}) {
        if (isTaken(path))
            throw CopyError::destinationExists(path.string());
    }
    copyFile(layout.transcript, result.destinationTranscript, rewrite);
    result.destinationFiles.push_back(result.destinationTranscript);
    if (layout.sidecar) {
        copyTree(*layout.sidecar, sidecar, rewrite);
        result.destinationSidecar = sidecar;
        appendRegularFiles(sidecar, result.destinationFiles);
    }
    DiskFlush::folder(toFolder);
    sortByPath(result.destinationFiles);
    const auto copied = static_cast<std::int64_t>(result.destinationFiles.size());
    const auto expected = static_cast<std::int64_t>(layout.allFiles.size());
    if (copied != expected)
        throw CopyError::verificationFailed("copied " + std::to_string(copied) + " files, source has "
                                            + std::to_string(expected));
    result.filesCopied = copied;
    result.bytesCopied = sizeOf(result.destinationFiles);
    return result;
}

} // namespace threadhop
