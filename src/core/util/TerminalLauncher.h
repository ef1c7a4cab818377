#pragma once

#include <string>

namespace threadhop::TerminalLauncher {

/// Runs an AppleScript text through /usr/bin/osascript ("-e", script) without waiting for it.
/// Where that program does not exist (or fails to start) nothing happens.
void runOSAScript(const std::string& script);

} // namespace threadhop::TerminalLauncher
