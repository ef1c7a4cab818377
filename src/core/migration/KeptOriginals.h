#pragma once

#include "core/editing/JSONLRewriter.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace threadhop {

/// The transcripts a migration replaces, kept exactly as they were until its outcome is known, so
/// that a failure puts back the very bytes each file held (lines appended after the backup
/// included) instead of rewriting them in reverse. They are second names for the replaced files in
/// a hidden folder beside the project folders (a copy on a file system without hard links), named
/// in the operation's pending note until discard() removes it.
class KeptOriginals final : public JSONLRewriter::OriginalsKeeper {
public:
    /// Gives the folder of a top-level entry of the project folder as it is now (the project
    /// folder, or the folder the entry moved to).
    using WhereNow = std::function<std::filesystem::path(const std::string& entry)>;

    /// Keeps originals of files below `projectFolder` in a hidden folder of `projectsRoot`.
    KeptOriginals(const std::filesystem::path& projectsRoot, const std::filesystem::path& projectFolder);

    /// The hidden folder they are kept in.
    const std::filesystem::path& folder() const { return m_folder; }

    /// Where the original of `transcript`, a file below the project folder, is to be kept (its
    /// folder is created and flushed). Throws std::filesystem::filesystem_error when that folder
    /// cannot be made.
    std::filesystem::path placeFor(const std::filesystem::path& transcript) override;

    void replaced(const std::filesystem::path& transcript, std::int64_t readBytes, std::int64_t writtenBytes) override;

    /// The replaced files, relative to the project folder, that another writer added to since:
    /// through the original it kept open, or through the new file after the rewrite.
    std::vector<std::string> grown(const WhereNow& whereNow) const;

    /// Puts every kept original back over the file that replaced it, with whatever another writer
    /// added to the new file appended to it. Returns the paths, relative to the project folder,
    /// that could not be put back.
    std::vector<std::string> putBack(const WhereNow& whereNow);

    /// Removes the folder once the outcome is recorded. Errors are ignored.
    void discard();

private:
    struct Kept {
        std::filesystem::path relative;
        std::int64_t readBytes = -1; ///< -1 until the file is replaced
        std::int64_t writtenBytes = -1;
    };

    Kept* find(const std::filesystem::path& relative);

    std::filesystem::path m_folder;
    std::filesystem::path m_projectFolder;
    std::vector<Kept> m_kept; ///< in the order they were given out
};

} // namespace threadhop
