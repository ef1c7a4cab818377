#include "core/validation/ResumeValidator.h"
#include "core/validation/EphemeralPath.h"

#include "core/encoding/CwdCodec.h"
#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

TEST(ResumeValidatorTest, StatusForEveryKindOfRecordedDirectory)
{
    const TempFolder folder;
    const std::string site = (folder.path() / "site").string();
    std::filesystem::create_directories(site);
    std::filesystem::create_directory_symlink(site, folder.path() / "link");
    const std::string link = (folder.path() / "link").string();
    writeFile(folder.path() / "plain", "");
    const std::string plain = (folder.path() / "plain").string();

    EXPECT_EQ(ResumeValidator::status(CwdCodec::encode(site), site), ResumeStatus::ok);
    EXPECT_EQ(ResumeValidator::status(CwdCodec::encode(link), link), ResumeStatus::ok);
    EXPECT_EQ(ResumeValidator::status("-Users-ana-old", site), ResumeStatus::cwdMismatch);
    EXPECT_EQ(ResumeValidator::status("-x", std::nullopt), ResumeStatus::noCwdRecorded);
    EXPECT_EQ(ResumeValidator::status("-x", ""), ResumeStatus::noCwdRecorded);
    EXPECT_EQ(ResumeValidator::status("-x", "/nonexistent/project"), ResumeStatus::targetMissing);
    EXPECT_EQ(ResumeValidator::status("-x", "/private/tmp/nonexistent-xyz"), ResumeStatus::ephemeralLocation);
    // A plain file where the directory was is never ok; temp folders here start with /tmp/.
    EXPECT_EQ(ResumeValidator::status(CwdCodec::encode(plain), plain),
              plain.starts_with("/tmp/") ? ResumeStatus::ephemeralLocation : ResumeStatus::targetMissing);
}

TEST(ResumeValidatorTest, EphemeralPrefixesNeedTheirSlash)
{
    for (const char* path : {"/tmp/x", "/private/tmp/x", "/var/folders/ab/T/x", "/private/var/folders/ab/T/x"})
        EXPECT_TRUE(EphemeralPath::isEphemeral(path)) << path;
    for (const char* path : {"/tmp", "", "/TMP/x"})
        EXPECT_FALSE(EphemeralPath::isEphemeral(path)) << path;
}

} // namespace
} // namespace threadhop::testing
