#pragma once

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
class KeptOriginals final {
public:
    /// Keeps originals of files below `projectFolder` in a hidden folder of `projectsRoot`.
    KeptOriginals(const std::filesystem::path& projectsRoot, const std::filesystem::path& projectFolder);

    /// The hidden folder they are kept in.
    const std::filesystem::path& folder() const { return m_folder; }

    /// Where the original of `transcript`, a file below the project folder, is to be kept (its
    /// folder is created). Throws std::filesystem::filesystem_error when that folder cannot be made.
    std::filesystem::path placeFor(const std::filesystem::path& transcript);

    /// Puts every kept original back over the file that replaced it. `whereNow` gives the folder
    /// that holds a kept file's top-level entry now (the project folder, or the folder it moved to).
    /// Returns the paths, relative to the project folder, that could not be put back.
    std::vector<std::string> putBack(const std::function<std::filesystem::path(const std::string& entry)>& whereNow);

    /// Removes the folder once the outcome is recorded. Errors are ignored.
    void discard();

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_projectFolder;
    std::vector<std::filesystem::path> m_relative; ///< in the order they were given out
};

} // namespace threadhop
