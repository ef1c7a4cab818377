#include "core/util/platform/ResumeCommand.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace ResumeCommand;

ClaudeAccount account(std::optional<std::string> configDir, bool aliasIsSimple, std::string alias = "claude")
{
    return {.id = "work",
            .label = "label",
            .alias = std::move(alias),
            .configDir = std::move(configDir),
            .aliasIsSimple = aliasIsSimple};
}

TEST(ResumeCommandTest, TheCommandByAccountWithTheDirectoryQuotedAsOneWord)
{
    const auto simple = account("/Users/a/.claude-work", true, "claude-work");
    const auto withFolder = account("/Users/a/.claude-work", false);
    const auto emptyFolder = account("", false);
    const auto defaultAccount = account(std::nullopt, false);
    const auto quotedFolder = account("/Users/a/.claude-it's", false);
    const std::tuple<std::string, const ClaudeAccount*, std::string> cases[] = {
        {"/Users/a/proj", &defaultAccount, "cd '/Users/a/proj' && claude --resume"},
        {"/p", &simple, "cd '/p' && claude-work --resume"}, // a simple alias wins whatever the folder
        {"/p", &withFolder, "cd '/p' && CLAUDE_CONFIG_DIR='/Users/a/.claude-work' claude --resume"},
        {"/p", &emptyFolder, "cd '/p' && claude --resume"},
        {"/p", nullptr, "cd '/p' && claude --resume"},
        // Single quotes are closed, escaped and reopened; other shell characters pass unchanged.
        {"/p", &quotedFolder, R"(cd '/p' && CLAUDE_CONFIG_DIR='/Users/a/.claude-it'\''s' claude --resume)"},
        {"/Users/a/it's here", nullptr, R"(cd '/Users/a/it'\''s here' && claude --resume)"},
        {R"(/a b/"c"/$HOME/d\e)", nullptr, R"(cd '/a b/"c"/$HOME/d\e' && claude --resume)"},
        {" /untrimmed/../x/ ", nullptr, "cd ' /untrimmed/../x/ ' && claude --resume"},
        {"", nullptr, "cd '' && claude --resume"},
    };
    for (const auto& [directory, owner, command] : cases)
        EXPECT_EQ(resumeCommand(directory, owner), command) << directory;
}

TEST(ResumeCommandTest, AProjectOfAnUnknownAccountGetsPlainClaude)
{
    const std::vector<ClaudeAccount> accounts{account("/Users/a/.claude-work", false)};
    EXPECT_EQ(accountFor(accounts, "work"), &accounts[0]);
    // Same folder, other id: the lookup is by id only.
    EXPECT_EQ(resumeCommand("/p", accountFor(accounts, "claude-work")), "cd '/p' && claude --resume");
}

} // namespace
} // namespace threadhop
