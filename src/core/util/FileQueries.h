#pragma once

#include <filesystem>

namespace threadhop::FileQueries {

/// True when anything is at `path`: a file, a folder, or a link (even one that leads nowhere).
bool itemExists(const std::filesystem::path& path);

} // namespace threadhop::FileQueries
