#pragma once

#include "FileMetadata.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace threadhop::DirectoryListing {

enum class Hidden { skip, include };

/// What a folder gives that cannot be listed, or whose listing breaks off: no entries at all, or a
/// std::filesystem::filesystem_error naming the folder, whose code says why.
enum class Unlistable { empty, fail };

/// The direct entries of `folder` in the platform's listing order; names beginning with "."
/// are left out unless asked for.
std::vector<std::filesystem::directory_entry> entries(const std::filesystem::path& folder, Hidden hidden,
                                                      Unlistable unlistable);

/// The names of those entries, in the same order.
std::vector<std::string> names(const std::filesystem::path& folder, Hidden hidden, Unlistable unlistable);

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
