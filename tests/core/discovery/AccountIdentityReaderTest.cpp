#include "core/discovery/AccountIdentityReader.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

class AccountIdentityReaderTest : public HomeTest { };

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

// The folder's own file, then the one beside it, then the shared one; a trailing "/" changes nothing.
TEST_F(AccountIdentityReaderTest, FallsBackThroughTheCandidatesInOrder)
{
    const auto folder = home() / ".claude-work";
    const auto email = [&] { return AccountIdentityReader::identity(folder / "")->emailAddress; };
    writeFile(folder / ".claude.json", R"({"oauthAccount": {"emailAddress": ""}})");
    writeFile(home() / ".claude.json", R"({"oauthAccount": {"emailAddress": "shared@example.com"}})");
    EXPECT_EQ(email(), "shared@example.com");
    writeFile(home() / ".claude-work.json", R"({"oauthAccount": {"emailAddress": "work@example.com"}})");
    EXPECT_EQ(email(), "work@example.com");
    writeFile(folder / ".claude.json", R"({"oauthAccount": {"emailAddress": "own@example.com"}})");
    EXPECT_EQ(email(), "own@example.com");
}

} // namespace
} // namespace threadhop::testing
