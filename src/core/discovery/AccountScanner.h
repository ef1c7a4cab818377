#pragma once

#include "core/models/ClaudeAccount.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Finds the user's Claude Code accounts. Read-only and never fails: unreadable files, folders and
// lines of any other shape are skipped.
namespace threadhop::AccountScanner {

/// One claude* alias found in a shell start-up file.
struct AliasHit {
    std::string alias;
    std::optional<std::string> configDir; ///< CLAUDE_CONFIG_DIR's value, "~" expanded
    bool isSimple = false;                ///< only sets CLAUDE_CONFIG_DIR and runs claude

    bool operator==(const AliasHit&) const = default;
};

/// The accounts whose folder is ~/.claude: the default account, with its identity.
std::vector<ClaudeAccount> scan();

/// Every assembled account (default, aliases, ~/.claude-* folders) with identities, sorted by alias.
std::vector<ClaudeAccount> scanAll();

/// The claude* aliases of the start-up files, in file order then line order.
std::vector<AliasHit> scanAliases();

/// The folder an alias value assigns to CLAUDE_CONFIG_DIR (cut at the first blank, quotes
/// trimmed, a leading "~" expanded), possibly empty; nothing when the value assigns none.
std::optional<std::string> extractConfigDir(std::string_view value);

/// True when the value only assigns CLAUDE_CONFIG_DIR and runs `claude` with no arguments.
bool isSimpleClaudeCommand(std::string_view value);

} // namespace threadhop::AccountScanner
