#include "TerminalLauncher.h"

#include "TerminalEmulator.h"
#include "core/util/fs/ChildProcess.h"

#include <filesystem>

namespace threadhop {

std::string TerminalLauncher::escapedForAppleScript(std::string_view command)
{
    // One pass equals doubling the backslashes and then escaping the quotes: the backslash put
    // before a quote is never doubled.
    std::string escaped;
    escaped.reserve(command.size());
    for (const char c : command) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '"')
            escaped += "\\\"";
        else
            escaped += c;
    }
    return escaped;
}

std::string TerminalLauncher::terminalScript(std::string_view command)
{
    return "tell application \"Terminal\"\n"
           "    activate\n"
           "    do script \""
        + escapedForAppleScript(command)
        + "\"\n"
          "end tell";
}

std::string TerminalLauncher::iTermScript(std::string_view command)
{
    return "tell application \"iTerm\"\n"
           "    activate\n"
           "    set w to (create window with default profile)\n"
           "    tell current session of w to write text \""
        + escapedForAppleScript(command)
        + "\"\n"
          "end tell";
}

void TerminalLauncher::openInTerminal(std::string_view command)
{
#ifdef __APPLE__
    runOSAScript(terminalScript(command));
#else
    TerminalEmulator::open(command);
#endif
}

bool TerminalLauncher::iTermInstalled()
{
    std::error_code error;
    return std::filesystem::exists("/Applications/iTerm.app", error);
}

void TerminalLauncher::openInITerm(std::string_view command)
{
    runOSAScript(iTermScript(command));
}

void TerminalLauncher::runOSAScript(const std::string& script)
{
    ChildProcess::startDetached("/usr/bin/osascript", {"-e", script});
}

} // namespace threadhop
