#include "AccountIdentityReader.h"

#include "core/util/format/JSONParser.h"
#include "core/util/fs/HomeFolder.h"
#include "core/util/fs/ReadBuffer.h"
#include "core/util/text/PathText.h"

#include <algorithm>

#include <simdjson.h>

namespace threadhop {

std::vector<std::filesystem::path> AccountIdentityReader::candidatePaths(const std::filesystem::path& configDir)
{
    // A folder URL may carry a trailing "/": name and parent come from the text without it.
    std::string folder = configDir.string();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::filesystem::path folderPath(folder);
    std::vector<std::filesystem::path> candidates{
        folderPath / ".claude.json",
        folderPath.parent_path() / (std::string(PathText::lastComponent(folder)) + ".json"),
    };
    const auto shared = HomeFolder::path() / ".claude.json";
    if (std::find(candidates.begin(), candidates.end(), shared) == candidates.end())
        candidates.push_back(shared);
    return candidates;
}

std::optional<AccountIdentity> AccountIdentityReader::read(const std::filesystem::path& file)
{
    ReadBuffer text;
    if (!text.load(file))
        return std::nullopt;
    simdjson::dom::parser parser;
    simdjson::dom::object account;
    const auto root = parser.parse(text.content().data(), text.content().size(), false);
    if (root["oauthAccount"].get_object().get(account) != simdjson::SUCCESS)
        return std::nullopt;
    auto email = JSONParser::stringMember(account, "emailAddress");
    if (!email || email->empty())
        return std::nullopt;
    return AccountIdentity{
        .emailAddress = std::move(*email),
        .accountUuid = JSONParser::stringMember(account, "accountUuid"),
        .organizationName = JSONParser::stringMember(account, "organizationName"),
        .organizationType = JSONParser::stringMember(account, "organizationType"),
        .sourcePath = file.string(),
    };
}

std::optional<AccountIdentity> AccountIdentityReader::identity(const std::filesystem::path& forConfigDir)
{
    for (const auto& candidate : candidatePaths(forConfigDir)) {
        if (auto found = read(candidate))
            return found;
    }
    return std::nullopt;
}

} // namespace threadhop
