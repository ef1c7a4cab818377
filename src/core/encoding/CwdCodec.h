#pragma once

#include <string>
#include <string_view>

namespace threadhop::CwdCodec {

/// Claude Code's project folder name for a working directory: each "/", ".", "_" and space that
/// is a character of its own becomes "-"; everything else, a character fused with a combining
/// mark included, is copied unchanged. There is no decoding.
std::string encode(std::string_view cwd);

} // namespace threadhop::CwdCodec
