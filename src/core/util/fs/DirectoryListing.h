#pragma once

#include "FileMetadata.h"

#include <filesystem>
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
    int depth = 0;         ///< 0 for files directly in the walked folder
    FileMetadata metadata; ///< links followed

    bool operator==(const FoundFile&) const = default;
};

/// Every regular file below `root`, or link to one, whose name ends in `extension` (".jsonl"),
/// depth first in the platform's listing order. Hidden entries are skipped and hidden folders not
/// entered; links to folders are not followed (so a link loop cannot hang the walk). Whatever their
/// name, folders, FIFOs, sockets, devices, links leading nowhere and link loops are never returned:
/// none of them is a transcript. Each file costs one stat relative to its open folder. A root that
/// cannot be opened gives an empty list.
std::vector<FoundFile> findFiles(const std::filesystem::path& root, std::string_view extension);

} // namespace threadhop::DirectoryListing
