#include "AccountScanner.h"

#include "AccountIdentityReader.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/HomeFolder.h"
#include "core/util/fs/ReadBuffer.h"
#include "core/util/text/LineBreakReader.h"
#include "core/util/text/PathText.h"
#include "core/util/text/UnicodeText.h"

#include <algorithm>
#include <array>

namespace threadhop {
namespace {

constexpr std::array<std::string_view, 6> startupFiles{".zshrc",   ".zprofile", ".zshenv",
                                                       ".aliases", ".bashrc",   ".bash_profile"};
constexpr std::string_view configDirAssignment = "CLAUDE_CONFIG_DIR=";

std::string_view trimCharacters(std::string_view text, std::string_view characters)
{
    const std::size_t first = text.find_first_not_of(characters);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

std::optional<AccountScanner::AliasHit> aliasHit(std::string_view line)
{
    const std::string_view trimmed = UnicodeText::trimBlanks(line);
    if (!trimmed.starts_with("alias "))
        return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = UnicodeText::trimBlanks(trimmed.substr(6, equals - 6));
    if (!name.starts_with("claude"))
        return std::nullopt;
    const std::string_view value = trimCharacters(trimmed.substr(equals + 1), " '\"");
    return AccountScanner::AliasHit{
        .alias = std::string(name),
        .configDir = AccountScanner::extractConfigDir(value),
        .isSimple = AccountScanner::isSimpleClaudeCommand(value),
    };
}

// Accounts keyed by folder path, in insertion order.
struct AccountMap {
    std::vector<std::pair<std::string, ClaudeAccount>> entries;

    ClaudeAccount* find(const std::string& key)
    {
        const auto it =
            std::find_if(entries.begin(), entries.end(), [&](const auto& entry) { return entry.first == key; });
        return it == entries.end() ? nullptr : &it->second;
    }
};

void addAliasAccounts(AccountMap& accounts)
{
    for (const auto& hit : AccountScanner::scanAliases()) {
        if (!hit.configDir || hit.configDir->empty())
            continue;
        const std::string key = PathText::standardized(*hit.configDir);
        ClaudeAccount candidate{
            .id = hit.alias,
            .label = hit.alias,
            .alias = hit.alias,
            .configDir = key,
            .aliasIsSimple = hit.isSimple,
            .identity = std::nullopt,
        };
        if (ClaudeAccount* stored = accounts.find(key)) {
            // A simple alias beats a non-simple one; among equals the first wins.
            if (!stored->aliasIsSimple && candidate.aliasIsSimple)
                *stored = std::move(candidate);
            continue;
        }
        accounts.entries.emplace_back(key, std::move(candidate));
    }
}

void addConfigFolderAccounts(AccountMap& accounts)
{
    const auto home = HomeFolder::path();
    for (const auto& entry :
         DirectoryListing::entries(home, DirectoryListing::Hidden::include, DirectoryListing::Unlistable::empty)) {
        const std::string name = entry.path().filename().string();
        std::error_code error;
        if (!name.starts_with(".claude-") || !std::filesystem::is_directory(entry.path(), error))
            continue;
        const std::string key = entry.path().string();
        if (accounts.find(key))
            continue;
        const std::string id = name.substr(1);
        accounts.entries.emplace_back(key,
                                      ClaudeAccount{
                                          .id = id,
                                          .label = id + " (no alias)",
                                          .alias = id,
                                          .configDir = key,
                                          .aliasIsSimple = false,
                                          .identity = std::nullopt,
                                      });
    }
}

} // namespace

std::vector<ClaudeAccount> AccountScanner::scan()
{
    const std::string defaultFolder = PathText::standardized((HomeFolder::path() / ".claude").string());
    std::vector<ClaudeAccount> accounts = scanAll();
    std::erase_if(accounts, [&](const ClaudeAccount& account) {
        return PathText::standardized(account.configDirURL().string()) != defaultFolder;
    });
    return accounts;
}

std::vector<ClaudeAccount> AccountScanner::scanAll()
{
    AccountMap accounts;
    accounts.entries.emplace_back((HomeFolder::path() / ".claude").string(),
                                  ClaudeAccount{
                                      .id = "claude",
                                      .label = "claude (default)",
                                      .alias = "claude",
                                      .configDir = std::nullopt,
                                      .aliasIsSimple = true,
                                      .identity = std::nullopt,
                                  });
    addAliasAccounts(accounts);
    addConfigFolderAccounts(accounts);

    std::vector<ClaudeAccount> result;
    result.reserve(accounts.entries.size());
    for (auto& [key, account] : accounts.entries) {
        account.identity = AccountIdentityReader::identity(account.configDirURL());
        result.push_back(std::move(account));
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const ClaudeAccount& a, const ClaudeAccount& b) { return a.alias < b.alias; });
    return result;
}

std::vector<AccountScanner::AliasHit> AccountScanner::scanAliases()
{
    std::vector<AliasHit> hits;
    ReadBuffer buffer;
    for (const auto fileName : startupFiles) {
        if (!buffer.load(HomeFolder::path() / fileName) || !UnicodeText::isValidUtf8(buffer.content()))
            continue;
        LineBreakReader lines(buffer.content());
        while (const auto line = lines.next()) {
            if (auto hit = aliasHit(*line))
                hits.push_back(std::move(*hit));
        }
    }
    return hits;
}

std::optional<std::string> AccountScanner::extractConfigDir(std::string_view value)
{
    const std::size_t found = value.find(configDirAssignment);
    if (found == std::string_view::npos)
        return std::nullopt;
    const auto pieces = UnicodeText::splitAtWhitespace(value.substr(found + configDirAssignment.size()));
    const std::string_view folder = pieces.empty() ? std::string_view() : trimCharacters(pieces.front(), "'\"");
    return PathText::expandTilde(folder);
}

bool AccountScanner::isSimpleClaudeCommand(std::string_view value)
{
    const auto words = UnicodeText::splitAtWhitespace(value);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        const std::size_t equals = word.find('=');
        const bool isAssignment =
            equals != std::string_view::npos && UnicodeText::isIdentifierLike(word.substr(0, equals));
        if (!isAssignment)
            return PathText::lastComponent(word) == "claude" && i + 1 == words.size();
        if (word.substr(0, equals) != "CLAUDE_CONFIG_DIR")
            return false;
    }
    return false;
}

} // namespace threadhop
