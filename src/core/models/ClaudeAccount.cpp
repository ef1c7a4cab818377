#include "ClaudeAccount.h"

#include "core/util/fs/HomeFolder.h"

namespace threadhop {

std::filesystem::path ClaudeAccount::configDirURL() const
{
    if (configDir && !configDir->empty())
        return *configDir;
    return HomeFolder::path() / ".claude";
}

std::filesystem::path ClaudeAccount::projectsDirURL() const
{
    return configDirURL() / "projects";
}

bool ClaudeAccount::exists() const
{
    std::error_code error;
    return std::filesystem::is_directory(projectsDirURL(), error);
}

const ClaudeAccount* accountWithId(const std::vector<ClaudeAccount>& accounts, std::string_view id)
{
    for (const auto& account : accounts) {
        if (account.id == id)
            return &account;
    }
    return nullptr;
}

} // namespace threadhop
