#pragma once

#include "core/models/AccountIdentity.h"

#include <filesystem>
#include <optional>
#include <vector>

// Reads who is signed in to an account. Never fails: anything unreadable gives no identity.
namespace threadhop::AccountIdentityReader {

/// <configDir>/.claude.json, <parent>/<configDir name>.json, then ~/.claude.json unless it is
/// one of the first two.
std::vector<std::filesystem::path> candidatePaths(const std::filesystem::path& configDir);

/// The identity in one file: its "oauthAccount" object with a non-empty string "emailAddress".
std::optional<AccountIdentity> read(const std::filesystem::path& file);

/// The first identity read from the candidate paths, in order.
std::optional<AccountIdentity> identity(const std::filesystem::path& forConfigDir);

} // namespace threadhop::AccountIdentityReader
