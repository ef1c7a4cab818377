#pragma once

#include <filesystem>
#include <vector>

namespace threadhop::DirectoryListing {

enum class Hidden { skip, include };

/// The direct entries of `folder` in the platform's listing order; names beginning with "."
/// are left out unless asked for. A folder that cannot be listed gives an empty list.
std::vector<std::filesystem::directory_entry> entries(const std::filesystem::path& folder, Hidden hidden);

/// True for names beginning with ".".
bool isHiddenName(const std::filesystem::path& name);

} // namespace threadhop::DirectoryListing
