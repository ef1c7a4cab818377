#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where there is no Terminal application to script, the user's terminal emulator is started on
// the command: by absolute path with an argument vector.
namespace threadhop::TerminalEmulator {

/// Tried after $TERMINAL and x-terminal-emulator, in this order.
inline constexpr std::array<std::string_view, 9> commonEmulators{
    "gnome-terminal", "konsole", "xfce4-terminal", "mate-terminal", "alacritty", "kitty", "foot", "wezterm", "xterm"};

/// A program to start and its arguments.
struct Launch {
    std::filesystem::path program;
    std::vector<std::string> arguments;

    bool operator==(const Launch&) const = default;
};

/// The first emulator found: $TERMINAL (a name or a path) when set, then x-terminal-emulator, then
/// the common ones, each looked up in the folders of `searchPath` (a PATH value).
std::optional<std::filesystem::path> find(const std::optional<std::string>& terminalVariable,
                                          std::string_view searchPath);

/// The arguments that make `emulator` run `command` (a program and its arguments), by the
/// emulator's own convention ("--", "-e", "-x" or none); unknown emulators get "-e".
std::vector<std::string> argumentsFor(const std::filesystem::path& emulator, const std::vector<std::string>& command);

/// `shell` running the shell line `command` interactively, so that the user's aliases are
/// known, then staying open as an interactive shell, as a terminal window does.
std::vector<std::string> shellRunning(const std::filesystem::path& shell, std::string_view command);

/// The whole launch for the shell line `command`, or nothing when no emulator is found.
/// `shellVariable` is $SHELL; /bin/sh stands in when it is not an absolute path.
std::optional<Launch> launchFor(std::string_view command, const std::optional<std::string>& terminalVariable,
                                const std::optional<std::string>& shellVariable, std::string_view searchPath);

/// Starts the user's emulator on `command` with this process's environment; does nothing when
/// none is found or it fails to start.
void open(std::string_view command);

} // namespace threadhop::TerminalEmulator
