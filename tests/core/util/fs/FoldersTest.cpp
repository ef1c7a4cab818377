// Where the home folder and the app's own folders are.

#include "core/util/fs/AppPaths.h"
#include "core/util/fs/HomeFolder.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

TEST(HomeFolderTest, OnlyAUserWithoutAnEntryGoesByAnAbsoluteHomeVariable)
{
    const SavedVariable saved("HOME");
    const auto fromUserDatabase = HomeFolder::path();
    setenv("HOME", "/elsewhere/ana", 1);
    EXPECT_EQ(HomeFolder::path(), fromUserDatabase) << "the user database comes first";

    const ScopedMissingUserEntry missing;
    setenv("HOME", "/home/container-user", 1);
    EXPECT_EQ(HomeFolder::path(), "/home/container-user");
    for (const char* notAbsolute : {"", "relative/home", "~/home"}) {
        setenv("HOME", notAbsolute, 1);
        EXPECT_EQ(HomeFolder::path(), "/") << notAbsolute;
    }
    unsetenv("HOME");
    EXPECT_EQ(HomeFolder::path(), "/");
    {
        const ScopedHomeOverride test("/tmp/test-home");
        EXPECT_EQ(HomeFolder::path(), "/tmp/test-home");
    }
}

class AppPathsTest : public HomeTest {
protected:
    std::filesystem::path base() const { return home() / ".local" / "share"; }
};

TEST_F(AppPathsTest, FoldersAreCreatedUnderAnAbsoluteDataHomeOrElseUnderLocalShare)
{
    EXPECT_EQ(AppPaths::supportDir(), base() / "Threadhop");
    EXPECT_EQ(AppPaths::backupsDir(), base() / "Threadhop" / "backups");
    EXPECT_TRUE(std::filesystem::is_directory(base() / "Threadhop" / "backups"));
    const auto dataHome = home() / "data";
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    EXPECT_EQ(AppPaths::supportDir(), dataHome / "Threadhop");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(AppPaths::supportDir(), base() / "Threadhop");
}

TEST_F(AppPathsTest, LegacyFolderMovesIntoPlaceUnlessBothExistOrItIsAFile)
{
    writeFile(base() / "ClaudeThreadhop" / "audit.json", "[]");
    writeFile(base() / "ClaudeThreadhop" / "backups" / "x.tar.gz", "archive");
    writeFile(base() / "Threadhop" / "audit.json", "new");
    EXPECT_FALSE(AppPaths::migrateLegacyFolder(base()));
    EXPECT_EQ(readFile(base() / "ClaudeThreadhop" / "audit.json"), "[]");
    EXPECT_EQ(readFile(AppPaths::supportDir() / "audit.json"), "new");

    std::filesystem::remove_all(base() / "Threadhop");
    const auto support = AppPaths::supportDir();
    EXPECT_FALSE(std::filesystem::exists(base() / "ClaudeThreadhop"));
    EXPECT_EQ(readFile(support / "audit.json"), "[]");
    EXPECT_EQ(readFile(support / "backups" / "x.tar.gz"), "archive");

    const TempFolder other;
    writeFile(other.path() / "ClaudeThreadhop", "a plain file");
    EXPECT_FALSE(AppPaths::migrateLegacyFolder(other.path()));
    EXPECT_TRUE(std::filesystem::is_regular_file(other.path() / "ClaudeThreadhop"));
    EXPECT_FALSE(std::filesystem::exists(other.path() / "Threadhop"));
}

} // namespace
} // namespace threadhop::testing
