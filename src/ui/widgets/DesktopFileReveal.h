#pragma once

#include <filesystem>

namespace threadhop::DesktopFileReveal {

/// Shows `file` selected in the desktop's file manager (the freedesktop FileManager1 ShowItems
/// call); where no file manager answers it, opens the folder that holds the file. Returns at once
/// and reports nothing. Called on the GUI thread.
void reveal(const std::filesystem::path& file);

/// Installs reveal() as the application's FileReveal.
void install();

} // namespace threadhop::DesktopFileReveal
