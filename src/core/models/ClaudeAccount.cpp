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

} // namespace threadhop
