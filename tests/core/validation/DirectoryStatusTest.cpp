// Whether a recorded directory is still there to resume in, and where a missing one may have gone.

#include "core/encoding/CwdCodec.h"
#include "core/validation/MoveDetector.h"
#include "core/validation/ResumeValidator.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

TEST(ResumeValidatorTest, StatusForEveryKindOfRecordedDirectoryAndEveryTemporaryPrefix)
{
    const TempFolder folder;
    const std::string site = (folder.path() / "site").string();
    std::filesystem::create_directories(site);
    std::filesystem::create_directory_symlink(site, folder.path() / "link");
    const std::string link = (folder.path() / "link").string();
    writeFile(folder.path() / "plain", "");
    const std::string plain = (folder.path() / "plain").string();

    using enum ResumeStatus;
    using ResumeValidator::status;
    // A plain file where the directory was is never ok; temp folders here start with /tmp/.
    EXPECT_EQ((std::vector{status(CwdCodec::encode(site), site), status(CwdCodec::encode(link), link),
                           status("-Users-ana-old", site), status("-x", std::nullopt), status("-x", ""),
                           status("-x", "/nonexistent/project"), status("-x", "/private/tmp/nonexistent-xyz"),
                           status(CwdCodec::encode(plain), plain)}),
              (std::vector{ok, ok, cwdMismatch, noCwdRecorded, noCwdRecorded, targetMissing, ephemeralLocation,
                           plain.starts_with("/tmp/") ? ephemeralLocation : targetMissing}));

    // Temporary locations are known by their prefixes, slash included.
    for (const char* path : {"/tmp/x", "/private/tmp/x", "/var/folders/ab/T/x", "/private/var/folders/ab/T/x"})
        EXPECT_TRUE(EphemeralPath::isEphemeral(path)) << path;
    for (const char* path : {"/tmp", "", "/TMP/x", "/home/ana/tmp/site"})
        EXPECT_FALSE(EphemeralPath::isEphemeral(path)) << path;
}

class MoveDetectorTest : public HomeTest {
protected:
    std::string at(std::string_view relative) const { return (home() / relative).string(); }
};

TEST_F(MoveDetectorTest, SuggestionsComeRootByRootEachOnceAndNeverTheDirectoryItself)
{
    std::filesystem::create_directories(home() / "work" / "site");
    std::filesystem::create_directories(home() / "Projects" / "site");
    std::filesystem::create_directories(home() / "Projects" / "other");
    std::filesystem::create_directories(home() / "src" / ".dotted");
    writeFile(home() / "code" / "site", "a plain file is not a directory");
    EXPECT_EQ(MoveDetector::suggestions("/Users/ana/old/site", MoveDetector::defaultRoots),
              (std::vector<std::string>{at("work/site"), at("Projects/site")}));

    // A hidden name is skipped by the listing of a root, so only the probe beside it finds one.
    const std::vector<std::string_view> roots{"~/work", "~/work/", "~/work/../work", "~/src", "~/missing-root"};
    EXPECT_EQ(MoveDetector::suggestions(at("work/site") + "/", roots), std::vector<std::string>{});
    EXPECT_EQ(MoveDetector::suggestions("/gone/site/", roots), std::vector<std::string>{at("work/site")});
    EXPECT_EQ(MoveDetector::suggestions("/gone/.dotted", roots), std::vector<std::string>{at("src/.dotted")});
    EXPECT_TRUE(MoveDetector::suggestions("/", MoveDetector::defaultRoots).empty());
    EXPECT_TRUE(MoveDetector::suggestions("", MoveDetector::defaultRoots).empty());
}

} // namespace
} // namespace threadhop::testing
