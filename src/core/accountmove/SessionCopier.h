#pragma once

#include "core/models/UserError.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Knows which files make up one conversation in a project folder, <id>.jsonl and its side folder
// <id>/ (subagent transcripts, .meta.json files), and copies them into another project folder.
namespace threadhop::SessionCopier {

/// The files of one conversation.
struct Layout {
    std::filesystem::path transcript;             ///< <folder>/<id>.jsonl
    std::optional<std::filesystem::path> sidecar; ///< <folder>/<id>/ when that is a directory
    std::vector<std::filesystem::path>
        allFiles; ///< the transcript and every regular file below the side folder, by path

    bool operator==(const Layout&) const = default;

    /// The entries of allFiles with the extension "jsonl", in allFiles order; the transcript is
    /// always among them, the others are subagent transcripts.
    std::vector<std::filesystem::path> jsonlFiles() const;
    /// The sizes of allFiles as the file system gives them now; a size that cannot be read counts 0.
    std::int64_t totalBytes() const;
};

/// What a copy placed in the target folder.
struct CopyResult {
    std::int64_t filesCopied = 0;                            ///< entries of destinationFiles
    std::int64_t bytesCopied = 0;                            ///< their sizes (an unreadable size counts 0)
    std::filesystem::path destinationTranscript;             ///< <target>/<new id>.jsonl
    std::optional<std::filesystem::path> destinationSidecar; ///< <target>/<new id>/ when the source had a side folder
    std::vector<std::filesystem::path> destinationFiles;     ///< the copied transcript and side-folder files, by path

    bool operator==(const CopyResult&) const = default;
};

/// The copier's refusals; what() is the text shown to the user.
class CopyError final : public UserError {
public:
    enum class Kind { transcriptMissing, destinationExists, verificationFailed };

    static CopyError transcriptMissing(std::string path);
    static CopyError destinationExists(std::string path);
    static CopyError verificationFailed(std::string detail);

    /// text() is the path or detail the error carries.
    Kind kind() const { return m_kind; }

private:
    CopyError(Kind kind, std::string payload, const std::string& description);

    Kind m_kind;
};

/// Locates conversation `sessionId` in the project folder `folder`. The side folder's whole tree
/// is listed, hidden files included; folders, links and items that cannot be queried are not.
/// Throws CopyError::transcriptMissing when nothing is at <folder>/<id>.jsonl, or when the id is
/// not a plain file name (empty, ".", "..", or holding "/"), which could reach outside the folder.
Layout layout(std::string_view sessionId, const std::filesystem::path& folder);

/// Writes, through the function it is handed and in as many pieces as it likes, the content a
/// copied file is to get instead of its own bytes, and returns true; or returns false, having
/// written nothing, to have the file copied byte for byte. Asked once for every file, with the
/// source file's path.
using Rewrite =
    std::function<bool(const std::filesystem::path& source, const std::function<void(std::string_view piece)>& write)>;

/// Copies the conversation into `toFolder` (created with its parents) as `newSessionId`, which
/// equals the source id for a clone. Contents are copied byte for byte and files keep their mode;
/// the side folder's folders are created afresh, so the copy can be rewritten and removed even
/// when the source's folders are read-only. Links are copied as links, other special files not.
/// Throws CopyError::destinationExists when <new id>.jsonl or <new id> is taken (checked after the
/// folder was created), CopyError::verificationFailed when the copy holds another number of files,
/// and std::filesystem::filesystem_error. Never removes what it copied: on failure, the part
/// already copied stays.
/// With `rewrite`, each file is written once with the content it gives, so a copy that is to be
/// edited costs one write. Every file copied is flushed to the disk.
CopyResult copy(const Layout& layout, const std::filesystem::path& toFolder, std::string_view newSessionId,
                const Rewrite& rewrite = {});

} // namespace threadhop::SessionCopier
