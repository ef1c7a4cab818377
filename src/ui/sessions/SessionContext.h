#pragma once

#include "core/models/ClaudeAccount.h"
#include "core/models/ProjectFolder.h"

#include <optional>
#include <string>

namespace threadhop {

/// What the sessions section knows of the project its conversations belong to; every row gets it.
struct SessionContext {
    std::string cwd;   ///< the project's working directory, where a moved conversation was started
    std::string alias; ///< the account's launch word; carried along, shown nowhere
    bool pathExists = false;
    std::optional<ClaudeAccount> account;
    std::optional<ProjectFolder> project;

    bool operator==(const SessionContext&) const = default;
};

} // namespace threadhop
