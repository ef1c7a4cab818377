#pragma once

#include <string>
#include <string_view>

// Hands a shell command to a terminal window: Terminal or iTerm through AppleScript on macOS, the
// user's terminal emulator elsewhere (see TerminalEmulator).
namespace threadhop::TerminalLauncher {

/// The command made safe inside an AppleScript string: each backslash doubled, then each
/// double quote preceded by a backslash.
std::string escapedForAppleScript(std::string_view command);

/// The script that runs `command` in a new Terminal window (four lines, no final line feed).
std::string terminalScript(std::string_view command);

/// The script that opens an iTerm window with the default profile and writes `command` into it.
std::string iTermScript(std::string_view command);

/// Runs `command` in a new terminal window: terminalScript(command) through runOSAScript on
/// macOS, the user's terminal emulator elsewhere. Reports nothing.
void openInTerminal(std::string_view command);

/// True when iTerm can be offered: something exists at /Applications/iTerm.app (asked each time,
/// as it may be installed or removed while the application runs).
bool iTermInstalled();

/// Runs iTermScript(command) through runOSAScript; reports nothing.
void openInITerm(std::string_view command);

/// Runs an AppleScript text through /usr/bin/osascript ("-e", script) without waiting for it.
/// Where that program does not exist (or fails to start) nothing happens.
void runOSAScript(const std::string& script);

} // namespace threadhop::TerminalLauncher
