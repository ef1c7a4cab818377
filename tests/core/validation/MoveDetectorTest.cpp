#include "core/validation/MoveDetector.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

class MoveDetectorTest : public HomeTest {
protected:
    std::string at(std::string_view relative) const { return (home() / relative).string(); }
};

TEST_F(MoveDetectorTest, DefaultRootsInOrderEachPathOnce)
{
    std::filesystem::create_directories(home() / "work" / "site");
    std::filesystem::create_directories(home() / "Projects" / "site");
    std::filesystem::create_directories(home() / "Projects" / "other");
    writeFile(home() / "code" / "site", "a plain file is not a directory");
    EXPECT_EQ(MoveDetector::suggestions("/Users/ana/old/site", MoveDetector::defaultRoots),
              (std::vector<std::string>{at("work/site"), at("Projects/site")}));
}

// A hidden name is skipped by the listing of a root, so only the probe beside it finds one.
TEST_F(MoveDetectorTest, TheDirectoryItselfDuplicatesTheRootAndNothingAreLeftOut)
{
    std::filesystem::create_directories(home() / "work" / "site");
    std::filesystem::create_directories(home() / "src" / ".dotted");
    const std::vector<std::string_view> roots{"~/work", "~/work/", "~/work/../work", "~/src", "~/missing-root"};
    EXPECT_EQ(MoveDetector::suggestions(at("work/site") + "/", roots), std::vector<std::string>{});
    EXPECT_EQ(MoveDetector::suggestions("/gone/site/", roots), std::vector<std::string>{at("work/site")});
    EXPECT_EQ(MoveDetector::suggestions("/gone/.dotted", roots), std::vector<std::string>{at("src/.dotted")});
    EXPECT_TRUE(MoveDetector::suggestions("/", MoveDetector::defaultRoots).empty());
    EXPECT_TRUE(MoveDetector::suggestions("", MoveDetector::defaultRoots).empty());
}

} // namespace
} // namespace threadhop::testing
