#include "core/discovery/AccountIdentityReader.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

class AccountIdentityReaderTest : public HomeTest { };

TEST_F(AccountIdentityReaderTest, CandidatesInOrderWithoutRepeatingTheSharedFile)
{
    using Paths = std::vector<std::filesystem::path>;
    EXPECT_EQ(AccountIdentityReader::candidatePaths(home() / ".claude"),
              (Paths{home() / ".claude" / ".claude.json", home() / ".claude.json"}));
    EXPECT_EQ(AccountIdentityReader::candidatePaths(home() / ".claude-work/"),
              (Paths{home() / ".claude-work" / ".claude.json", home() / ".claude-work.json", home() / ".claude.json"}));
}

TEST_F(AccountIdentityReaderTest, ReadsEveryFieldAndIgnoresWrongTypesOrFilesOfAnotherShape)
{
    const auto file = home() / "id.json";
    writeFile(file, R"({"other": 1, "oauthAccount": {"emailAddress": "ana@example.com", "accountUuid": "u-1",
                        "organizationName": 42, "organizationType": "team"}})");
    EXPECT_EQ(AccountIdentityReader::read(file),
              (AccountIdentity{.emailAddress = "ana@example.com",
                               .accountUuid = "u-1",
                               .organizationName = std::nullopt,
                               .organizationType = "team",
                               .sourcePath = file.string()}));
    for (const char* content :
         {R"({"oauthAccount": {"emailAddress": ""}})", R"({"oauthAccount": {"emailAddress": 7}})",
          R"({"oauthAccount": "ana@example.com"})", R"([{"oauthAccount": {"emailAddress": "a"}}])",
          R"({"oauthAccount": {"emailAddress": "a")", "\xff\xfe", ""}) {
        writeFile(file, content);
        EXPECT_FALSE(AccountIdentityReader::read(file)) << content;
    }
    EXPECT_FALSE(AccountIdentityReader::read(home() / "missing.json"));
    EXPECT_FALSE(AccountIdentityReader::read(home()));
}

TEST_F(AccountIdentityReaderTest, FallsBackThroughTheCandidates)
{
    const auto folder = home() / ".claude-work";
    writeFile(folder / ".claude.json", R"({"oauthAccount": {"emailAddress": ""}})");
    writeFile(home() / ".claude.json", R"({"oauthAccount": {"emailAddress": "shared@example.com"}})");
    EXPECT_EQ(AccountIdentityReader::identity(folder)->emailAddress, "shared@example.com");

    writeFile(home() / ".claude-work.json", R"({"oauthAccount": {"emailAddress": "work@example.com"}})");
    const auto identity = AccountIdentityReader::identity(folder);
    EXPECT_EQ(identity->emailAddress, "work@example.com");
    EXPECT_EQ(identity->sourcePath, (home() / ".claude-work.json").string());
}

} // namespace
} // namespace threadhop::testing
