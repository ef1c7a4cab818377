#pragma once

#include <filesystem>

namespace threadhop::FileReveal {

/// Shows `file` selected in the desktop's file manager (the freedesktop FileManager1 ShowItems
/// call); where no file manager answers it, opens the folder that holds the file. Returns at once
/// and reports nothing.
void reveal(const std::filesystem::path& file);

} // namespace threadhop::FileReveal
