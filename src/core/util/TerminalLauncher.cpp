#include "TerminalLauncher.h"

#include "ChildProcess.h"

namespace threadhop {

void TerminalLauncher::runOSAScript(const std::string& script)
{
    ChildProcess::startDetached("/usr/bin/osascript", {"-e", script});
}

} // namespace threadhop
