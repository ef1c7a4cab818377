#include "TerminalEmulator.h"

#include "core/util/fs/ChildProcess.h"
#include "core/util/text/ShellQuote.h"

#include <cstdlib>

#include <unistd.h>

namespace threadhop {
namespace {

std::optional<std::string> environmentVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] == '\0')
        return std::nullopt;
    return std::string(value);
}

bool isExecutableFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::filesystem::path> lookUp(std::string_view name, std::string_view searchPath)
{
    if (name.empty())
        return std::nullopt;
    if (name.find('/') != std::string_view::npos) {
        const std::filesystem::path path(name);
        if (path.is_absolute() && isExecutableFile(path))
            return path;
        return std::nullopt;
    }
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        const std::size_t end = std::min(searchPath.find(':', start), searchPath.size());
        const std::string_view folder = searchPath.substr(start, end - start);
        if (!folder.empty() && folder.front() == '/') {
            const auto candidate = std::filesystem::path(folder) / name;
            if (isExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::filesystem::path> TerminalEmulator::find(const std::optional<std::string>& terminalVariable,
                                                            std::string_view searchPath)
{
    if (terminalVariable) {
        if (auto found = lookUp(*terminalVariable, searchPath))
            return found;
    }
    if (auto found = lookUp("x-terminal-emulator", searchPath))
        return found;
    for (const auto name : commonEmulators) {
        if (auto found = lookUp(name, searchPath))
            return found;
    }
    return std::nullopt;
}

std::vector<std::string> TerminalEmulator::argumentsFor(const std::filesystem::path& emulator,
                                                        const std::vector<std::string>& command)
{
    const std::string name = emulator.filename().string();
    std::vector<std::string> arguments;
    if (name == "gnome-terminal")
        arguments = {"--"};
    else if (name == "xfce4-terminal" || name == "mate-terminal")
        arguments = {"-x"};
    else if (name == "wezterm")
        arguments = {"start", "--"};
    else if (name != "kitty" && name != "foot")
        arguments = {"-e"}; // x-terminal-emulator, xterm, konsole, alacritty, and the convention for others
    arguments.insert(arguments.end(), command.begin(), command.end());
    return arguments;
}

std::vector<std::string> TerminalEmulator::shellRunning(const std::filesystem::path& shell, std::string_view command)
{
    return {shell.string(), "-i", "-c", std::string(command) + "; exec " + shellQuote(shell.string()) + " -i"};
}

std::optional<TerminalEmulator::Launch> TerminalEmulator::launchFor(std::string_view command,
                                                                    const std::optional<std::string>& terminalVariable,
                                                                    const std::optional<std::string>& shellVariable,
                                                                    std::string_view searchPath)
{
    const auto emulator = find(terminalVariable, searchPath);
    if (!emulator)
        return std::nullopt;
    const std::filesystem::path shell =
        shellVariable && std::filesystem::path(*shellVariable).is_absolute() ? *shellVariable : "/bin/sh";
    return Launch{*emulator, argumentsFor(*emulator, shellRunning(shell, command))};
}

void TerminalEmulator::open(std::string_view command)
{
    const auto launch = launchFor(command, environmentVariable("TERMINAL"), environmentVariable("SHELL"),
                                  environmentVariable("PATH").value_or("/usr/local/bin:/usr/bin:/bin"));
    if (launch)
        ChildProcess::startDetached(launch->program, launch->arguments);
}

} // namespace threadhop
