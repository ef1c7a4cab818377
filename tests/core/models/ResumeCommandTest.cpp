// The resume command: one line of shell per directory and account.

#include "core/models/ResumeCommand.h"

#include <gtest/gtest.h>

#include <tuple>

namespace threadhop::testing {
namespace {

using namespace ResumeCommand;

TEST(ResumeCommandTest, TheCommandByAccountWithTheDirectoryQuotedAsOneWord)
{
    const ClaudeAccount simple{.alias = "claude-work", .configDir = "/Users/a/.claude-work", .aliasIsSimple = true};
    const ClaudeAccount withFolder{.configDir = "/Users/a/.claude-work"};
    const ClaudeAccount emptyFolder{.configDir = ""};
    const ClaudeAccount defaultAccount;
    const ClaudeAccount quotedFolder{.configDir = "/Users/a/.claude-it's"};
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

    // A project of an unknown account gets plain claude: the lookup is by id, never by folder.
    const std::vector<ClaudeAccount> accounts{{.id = "work", .configDir = "/Users/a/.claude-work"}};
    EXPECT_EQ(accountWithId(accounts, "work"), &accounts[0]);
    EXPECT_EQ(accountWithId(accounts, "claude-work"), nullptr);
}

} // namespace
} // namespace threadhop::testing
