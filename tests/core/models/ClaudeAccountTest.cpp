#include "core/models/ClaudeAccount.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

class ClaudeAccountTest : public HomeTest { };

TEST_F(ClaudeAccountTest, EmptyOrAbsentConfigDirMeansTheDefaultFolderWhichExistsWithItsProjects)
{
    ClaudeAccount account{.id = "claude", .label = "claude (default)", .alias = "claude"};
    EXPECT_EQ(account.configDirURL(), home() / ".claude");
    account.configDir = "";
    EXPECT_EQ(account.configDirURL(), home() / ".claude");
    account.configDir = "/x/.claude-work";
    EXPECT_EQ(account.configDirURL(), "/x/.claude-work");

    // It exists only when its projects are a folder.
    account.configDir.reset();
    EXPECT_FALSE(account.exists());
    writeFile(home() / ".claude" / "projects", "a file where a folder should be");
    EXPECT_FALSE(account.exists());
    std::filesystem::remove(home() / ".claude" / "projects");
    std::filesystem::create_directories(home() / ".claude" / "projects");
    EXPECT_TRUE(account.exists());
}

} // namespace
} // namespace threadhop::testing
