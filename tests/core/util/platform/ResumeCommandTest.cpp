#include "core/util/platform/ResumeCommand.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace ResumeCommand;

ClaudeAccount account(
    std::string id, std::optional<std::string> configDir, bool aliasIsSimple, std::string alias = "claude")
{
    return {.id = std::move(id),
        .label = "label",
        .alias = std::move(alias),
        .configDir = std::move(configDir),
        .aliasIsSimple = aliasIsSimple};
}

TEST(ResumeCommandTest, DefaultAccountRunsPlainClaude)
{
    const auto defaultAccount = account("claude", std::nullopt, false);
    EXPECT_EQ(resumeCommand("/Users/a/proj", &defaultAccount), "cd '/Users/a/proj' && claude --resume");
}

TEST(ResumeCommandTest, LaunchPrefixByAccount)
{
    const auto simple = account("work", "/Users/a/.claude-work", true, "claude-work");
    EXPECT_EQ(launchPrefix(&simple), "claude-work") << "a simple alias wins whatever the folder";
    EXPECT_EQ(resumeCommand("/p", &simple), "cd '/p' && claude-work --resume");

    const auto withFolder = account("work", "/Users/a/.claude-work", false);
    EXPECT_EQ(resumeCommand("/p", &withFolder), "cd '/p' && CLAUDE_CONFIG_DIR='/Users/a/.claude-work' claude --resume");

    const auto emptyFolder = account("work", "", false);
    EXPECT_EQ(launchPrefix(&emptyFolder), "claude");
    EXPECT_EQ(launchPrefix(nullptr), "claude");
}

TEST(ResumeCommandTest, ProjectOfAnUnknownAccountGetsPlainClaude)
{
    const std::vector<ClaudeAccount> accounts{account("work", "/Users/a/.claude-work", false)};
    EXPECT_EQ(accountFor(accounts, "work"), &accounts[0]);
    // Same folder, other id: the lookup is by id only.
    EXPECT_EQ(resumeCommand("/p", accountFor(accounts, "claude-work")), "cd '/p' && claude --resume");
}

TEST(ResumeCommandTest, SingleQuotesAreClosedEscapedAndReopened)
{
    EXPECT_EQ(shellQuote("/Users/a/it's here"), R"('/Users/a/it'\''s here')");
    const auto quotedFolder = account("x", "/Users/a/.claude-it's", false);
    EXPECT_EQ(launchPrefix(&quotedFolder), R"(CLAUDE_CONFIG_DIR='/Users/a/.claude-it'\''s' claude)");
}

TEST(ResumeCommandTest, OtherShellCharactersPassInsideTheQuotesUnchanged)
{
    EXPECT_EQ(resumeCommand(R"(/a b/"c"/$HOME/d\e)", nullptr), R"(cd '/a b/"c"/$HOME/d\e' && claude --resume)");
    EXPECT_EQ(resumeCommand(" /untrimmed/../x/ ", nullptr), "cd ' /untrimmed/../x/ ' && claude --resume");
    EXPECT_EQ(resumeCommand("", nullptr), "cd '' && claude --resume");
}

} // namespace
} // namespace threadhop
