#pragma once

#include "core/models/ClaudeAccount.h"
#include "core/models/LiveSession.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// Recognises conversations open in a running Claude Code process from the account's sessions/
// records. Only reads; a result is a snapshot (a process may start or end right after).
namespace threadhop::SessionLiveness {

/// One record, without any liveness test; nothing when it is not a record with a numeric "pid"
/// and a non-empty "sessionId".
std::optional<LiveSession> read(const std::filesystem::path& file);

/// The live records of the account by session id: the process exists (signal 0 succeeds, or is
/// refused because it belongs to another user) and its messaging socket, when named, exists.
std::map<std::string, LiveSession> liveSessions(const ClaudeAccount& account);
/// The same for the account whose configuration folder is `configDir`.
std::map<std::string, LiveSession> liveSessions(const std::filesystem::path& configDir);

/// The live session with that id, reading the whole folder.
std::optional<LiveSession> isLive(std::string_view sessionId, const ClaudeAccount& account);

} // namespace threadhop::SessionLiveness
