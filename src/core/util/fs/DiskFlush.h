#pragma once

#include <filesystem>

// Flushing to the disk what is only in the page cache, so that a crash or a power cut cannot
// undo it: a file's bytes, or a folder's entries (a new name, a rename, a removal).
namespace threadhop::DiskFlush {

/// Flushes the file's bytes. Throws std::filesystem::filesystem_error when that fails.
void file(const std::filesystem::path& path);

/// Flushes the folder's entries. Best effort: a folder that cannot be opened is left as it is.
void folder(const std::filesystem::path& path);

/// Creates the folder and any missing folder above it, each new one's entry flushed in the folder
/// that holds it, so that what is moved into it next cannot be lost with it. Throws
/// std::filesystem::filesystem_error when a folder cannot be made.
void createFolders(const std::filesystem::path& path);

} // namespace threadhop::DiskFlush
