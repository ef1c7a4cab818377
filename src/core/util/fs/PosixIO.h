#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

// The system calls that write files, with their failures thrown as the library's file-system errors
// (which callers turn into sentences of their own).
namespace threadhop::PosixIO {

/// Throws std::filesystem::filesystem_error for `error` (an errno) while doing `what` to `path`.
[[noreturn]] void fail(const char* what, const std::filesystem::path& path, int error);

/// Writes all of `bytes` to `descriptor`, going on after interruptions. Throws naming `path`.
void writeAll(int descriptor, std::string_view bytes, const std::filesystem::path& path);

/// Writes what the open file `from` holds past its first `offset` bytes to `to`, and returns how
/// many bytes that was. Throws naming `path`.
std::int64_t copyTail(int from, std::int64_t offset, int to, const std::filesystem::path& path);

} // namespace threadhop::PosixIO
