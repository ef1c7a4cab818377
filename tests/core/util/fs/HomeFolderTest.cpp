#include "core/util/fs/HomeFolder.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

// Puts the HOME variable back as it was.
class SavedHomeVariable final {
public:
    SavedHomeVariable()
    {
        if (const char* value = std::getenv("HOME"))
            m_value = value;
    }
    ~SavedHomeVariable()
    {
        if (m_value)
            setenv("HOME", m_value->c_str(), 1);
        else
            unsetenv("HOME");
    }

private:
    std::optional<std::string> m_value;
};

TEST(HomeFolderTest, OnlyAUserWithoutAnEntryGoesByAnAbsoluteHomeVariable)
{
    const SavedHomeVariable saved;
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
} // namespace threadhop
