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

} // namespace
} // namespace threadhop::testing
