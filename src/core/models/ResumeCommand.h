#pragma once

#include "ClaudeAccount.h"

#include <string>
#include <string_view>

// The one line of shell that continues a project's conversations: every window that shows or
// copies it builds it here, so one directory and one account give one text everywhere.
namespace threadhop::ResumeCommand {

/// The words that start Claude Code for `account` (null: no account): "claude", the account's
/// alias when it only sets the folder and runs claude, or CLAUDE_CONFIG_DIR='<dir>' claude.
std::string launchPrefix(const ClaudeAccount* account);

/// cd '<directory>' && <launchPrefix> --resume. The directory goes in as given.
std::string resumeCommand(std::string_view directory, const ClaudeAccount* account);

} // namespace threadhop::ResumeCommand
