#include "ResumeCommand.h"

namespace threadhop {

std::string ResumeCommand::shellQuote(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

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

const ClaudeAccount* ResumeCommand::accountFor(const std::vector<ClaudeAccount>& accounts, std::string_view accountId)
{
    for (const auto& account : accounts) {
        if (account.id == accountId)
            return &account;
    }
    return nullptr;
}

} // namespace threadhop
