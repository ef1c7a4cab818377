#include "ResumeCommand.h"

#include "core/util/text/ShellQuote.h"

namespace threadhop {

std::string ResumeCommand::launchPrefix(const ClaudeAccount* account)
{
    if (!account)
        return "claude";
    if (account->aliasIsSimple)
        return account->alias;
    if (account->configDir && !account->configDir->empty())
        return "CLAUDE_CONFIG_DIR=" + shellQuote(*account->configDir) + " claude";
    return "claude";
}

std::string ResumeCommand::resumeCommand(std::string_view directory, const ClaudeAccount* account)
{
    return "cd " + shellQuote(directory) + " && " + launchPrefix(account) + " --resume";
}

} // namespace threadhop
