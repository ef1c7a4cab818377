#pragma once

#include "AccountIdentity.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace threadhop {

/// One Claude Code account: one configuration folder.
struct ClaudeAccount {
    std::string id;                       ///< "claude", an alias name, or a ~/.claude-* folder name without its dot
    std::string label;                    ///< text shown for the account
    std::string alias;                    ///< the shell word that starts Claude Code for this account
    std::optional<std::string> configDir; ///< absent (or empty) means ~/.claude
    bool aliasIsSimple = false;           ///< the alias only sets CLAUDE_CONFIG_DIR and runs claude
    std::optional<AccountIdentity> identity;

    bool operator==(const ClaudeAccount&) const = default;

    /// `configDir` when present and not empty, otherwise <home>/.claude.
    std::filesystem::path configDirURL() const;

    /// <configDirURL>/projects, where Claude Code keeps one folder per working directory.
    std::filesystem::path projectsDirURL() const;

    /// True when <projectsDirURL> is a directory; false on any failure.
    bool exists() const;
};

/// The first of `accounts` whose id is `id`, or null.
const ClaudeAccount* accountWithId(const std::vector<ClaudeAccount>& accounts, std::string_view id);

} // namespace threadhop
