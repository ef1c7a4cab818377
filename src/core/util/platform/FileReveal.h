#pragma once

#include <filesystem>
#include <functional>

// "Show this file in the file manager": the core names the service; the interface layer, which
// can speak to the desktop, installs the way it is done.
namespace threadhop::FileReveal {

/// Shows a file selected in the desktop's file manager; returns at once and reports nothing.
using Revealer = std::function<void(const std::filesystem::path& file)>;

/// Makes `revealer` the way files are shown from now on.
void install(Revealer revealer);

/// Shows `file` with the installed revealer; does nothing when none is installed.
void reveal(const std::filesystem::path& file);

} // namespace threadhop::FileReveal
