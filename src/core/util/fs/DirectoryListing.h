#pragma once

#include "FileMetadata.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace threadhop::DirectoryListing {

enum class Hidden { skip, include };

/// The direct entries of `folder` in the platform's listing order; names beginning with "."
/// are left out unless asked for. A folder that cannot be listed gives an empty list.
std::vector<std::filesystem::directory_entry> entries(const std::filesystem::path& folder, Hidden hidden);

/// True for names beginning with ".".
bool isHiddenName(const std::filesystem::path& name);

/// One file found below the walked folder.
struct FoundFile {
    std::filesystem::path path;
    int depth = 0;                        ///< 0 for files directly in the walked folder
    std::optional<FileMetadata> metadata; ///< links followed; absent when it cannot be read

    bool operator==(const FoundFile&) const = default;
};

/// Every entry below `root` whose name ends in `extension` (".jsonl"), depth first in the
/// platform's listing order. Hidden entries are skipped and hidden folders not entered; links to
/// folders are not followed (so a link loop cannot hang the walk), and folders, or links to them,
/// are never returned whatever their name. Each file costs one stat relative to its open folder.
/// A root that cannot be opened gives an empty list.
std::vector<FoundFile> findFiles(const std::filesystem::path& root, std::string_view extension);

} // namespace threadhop::DirectoryListing
