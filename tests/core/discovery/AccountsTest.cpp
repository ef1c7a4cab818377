// The accounts found on this computer: their folders, aliases and identities, and the
// conversations open in them.

#include "core/discovery/AccountIdentityReader.h"
#include "core/discovery/AccountScanner.h"
#include "core/discovery/SessionLiveness.h"
#include "core/models/ClaudeAccount.h"

#include "support/TempHome.h"

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace threadhop::testing {
namespace {

using Hit = AccountScanner::AliasHit;

class AccountScannerTest : public HomeTest {
protected:
    std::string homeText() const { return home().string(); }
};

TEST_F(AccountScannerTest, TheDefaultAccountIsAlwaysThereWithItsIdentity)
{
    ClaudeAccount plain{.id = "claude", .label = "claude (default)", .alias = "claude", .aliasIsSimple = true};
    EXPECT_EQ(AccountScanner::scan(), std::vector<ClaudeAccount>{plain});
    writeFile(home() / ".claude.json", R"({"oauthAccount": {"emailAddress": "ana@example.com"}})");
    plain.identity =
        AccountIdentity{.emailAddress = "ana@example.com", .sourcePath = (home() / ".claude.json").string()};
    EXPECT_EQ(AccountScanner::scan(), std::vector<ClaudeAccount>{plain});
}

// Startup files that cannot be read, or are not UTF-8, are skipped whole.
TEST_F(AccountScannerTest, AliasLinesAreParsedInFileThenLineOrder)
{
    writeFile(home() / ".bashrc", "alias claude-b='CLAUDE_CONFIG_DIR=/b claude'\n");
    writeFile(home() / ".zprofile", "alias claude-a='CLAUDE_CONFIG_DIR=/a claude'\n\xff\xfe\n");
    std::filesystem::create_directories(home() / ".zshenv"); // a folder where a file should be
    writeFile(home() / ".aliases", "alias claude-c='CLAUDE_CONFIG_DIR=/c claude'");
    writeFile(home() / ".zshrc",
              "# comment\n"
              "  alias claude-w='CLAUDE_CONFIG_DIR=~/.claude-w claude'  \r\n"
              "alias cw='CLAUDE_CONFIG_DIR=/cw claude'\n"
              "alias -g claude='x'\n"
              "alias claudex=\"FOO=1 CLAUDE_CONFIG_DIR=/x claude --verbose\"\n"
              "alias claude-plain='claude --resume'\n"
              "alias claude-noeq\n"
              "\u00A0alias claude-nbsp = 'CLAUDE_CONFIG_DIR=/n claude'\n");
    const std::vector<Hit> expected{
        {"claude-w", homeText() + "/.claude-w", true},
        {"claudex", "/x", false},
        {"claude-plain", std::nullopt, false},
        {"claude-nbsp", "/n", true},
        {"claude-c", "/c", true},
        {"claude-b", "/b", true},
    };
    EXPECT_EQ(AccountScanner::scanAliases(), expected);
}

// The commands the alias files above hold are settled there; these are the shapes they do not show.
TEST_F(AccountScannerTest, ConfigDirIsCutAtTheFirstBlankThenUnquotedAndASimpleCommandOnlyRunsClaude)
{
    EXPECT_EQ(AccountScanner::extractConfigDir("CLAUDE_CONFIG_DIR='/a b' claude"), "/a");
    EXPECT_EQ(AccountScanner::extractConfigDir("MY_CLAUDE_CONFIG_DIR=/x claude"), "/x");
    EXPECT_EQ(AccountScanner::extractConfigDir("CLAUDE_CONFIG_DIR= claude"), "claude");
    EXPECT_EQ(AccountScanner::extractConfigDir("CLAUDE_CONFIG_DIR="), "");
    EXPECT_EQ(AccountScanner::extractConfigDir("CLAUDE_CONFIG_DIR=~x"), homeText() + "x");
    EXPECT_EQ(AccountScanner::extractConfigDir("CLAUDE_CONFIG_DIR=$HOME/.c"), "$HOME/.c");

    // A simple command only assigns the folder and runs claude; "a-b" is no variable name but the command word.
    for (const char* simple : {"CLAUDE_CONFIG_DIR=/x /opt/bin/claude", "claude"})
        EXPECT_TRUE(AccountScanner::isSimpleClaudeCommand(simple)) << simple;
    for (const char* other : {"CLAUDE_CONFIG_DIR=/x", "CLAUDE_CONFIG_DIR=/x claudex", "", "a-b=1 claude"})
        EXPECT_FALSE(AccountScanner::isSimpleClaudeCommand(other)) << other;
}

TEST_F(AccountScannerTest, AliasPrecedenceAndFolderAccounts)
{
    writeFile(home() / ".zshrc",
              "alias claude-n='CLAUDE_CONFIG_DIR=/shared claude --verbose'\n"
              "alias claude-s='CLAUDE_CONFIG_DIR=/shared/ claude'\n"
              "alias claude-t='CLAUDE_CONFIG_DIR=/shared claude'\n"
              "alias claude-default='CLAUDE_CONFIG_DIR=~/.claude/ claude'\n"
              "alias claude-x='CLAUDE_CONFIG_DIR=~/.claude-x claude'\n"
              "alias claude-empty='CLAUDE_CONFIG_DIR= '\n");
    std::filesystem::create_directories(home() / ".claude-x");
    std::filesystem::create_directories(home() / ".claude-work");
    writeFile(home() / ".claude-file", "not a folder");

    // Sorted by alias; the simple alias beat the non-simple one for /shared and the later simple
    // alias lost to it; the default folder kept its own account.
    const ClaudeAccount expected[] = {
        {.id = "claude", .label = "claude (default)", .alias = "claude", .aliasIsSimple = true},
        {.id = "claude-s", .label = "claude-s", .alias = "claude-s", .configDir = "/shared", .aliasIsSimple = true},
        {.id = "claude-work",
         .label = "claude-work (no alias)",
         .alias = "claude-work",
         .configDir = homeText() + "/.claude-work"},
        {.id = "claude-x",
         .label = "claude-x",
         .alias = "claude-x",
         .configDir = homeText() + "/.claude-x",
         .aliasIsSimple = true},
    };
    EXPECT_EQ(AccountScanner::scanAll(), std::vector<ClaudeAccount>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(AccountScanner::scan(), std::vector<ClaudeAccount>{expected[0]});
}

class AccountIdentityReaderTest : public HomeTest { };

TEST_F(AccountIdentityReaderTest, ReadsEveryFieldIgnoresWrongShapesAndFallsBackThroughTheCandidates)
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

    // The folder's own file, then the one beside it, then the shared one; a trailing "/" changes nothing.
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

class ClaudeAccountTest : public HomeTest { };

TEST_F(ClaudeAccountTest, EmptyOrAbsentConfigDirMeansTheDefaultFolderWhichExistsWithItsProjects)
{
    EXPECT_EQ(ClaudeAccount{.configDir = ""}.configDirURL(), home() / ".claude");
    EXPECT_EQ(ClaudeAccount{.configDir = "/x/.claude-work"}.configDirURL(), "/x/.claude-work");
    const ClaudeAccount account{.id = "claude", .label = "claude (default)", .alias = "claude"};
    EXPECT_EQ(account.configDirURL(), home() / ".claude");
    EXPECT_FALSE(account.exists());
    writeFile(home() / ".claude" / "projects", "a file where a folder should be");
    EXPECT_FALSE(account.exists());
    std::filesystem::remove(home() / ".claude" / "projects");
    std::filesystem::create_directories(home() / ".claude" / "projects");
    EXPECT_TRUE(account.exists());
}

class SessionLivenessTest : public HomeTest {
protected:
    ClaudeAccount account{.id = "claude"};

    void record(std::string_view name, std::string_view json)
    {
        writeFile(home() / ".claude" / "sessions" / name, json);
    }
};

TEST_F(SessionLivenessTest, ReadsEveryField)
{
    record("a.json", R"({"pid":12.9,"sessionId":"s1","cwd":"/w","status":"busy","name":"n","startedAt":1700000000123,
                         "messagingSocketPath":"/tmp/s.sock","extra":[1]})");
    const auto session = SessionLiveness::read(home() / ".claude" / "sessions" / "a.json");
    ASSERT_TRUE(session);
    EXPECT_EQ(*session,
              (LiveSession{.pid = 12,
                           .sessionId = "s1",
                           .cwd = "/w",
                           .status = "busy",
                           .name = "n",
                           .startedAtMillis = 1700000000123.0,
                           .socketPath = "/tmp/s.sock"}));
    record("b.json", R"({"pid":true,"sessionId":"s2","cwd":5})");
    EXPECT_EQ(SessionLiveness::read(home() / ".claude" / "sessions" / "b.json"),
              (LiveSession{.pid = 1, .sessionId = "s2"}));
}

// A dead record never hides a live one of the same session, whatever order the folder lists them in;
// malformed and foreign files are ignored.
TEST_F(SessionLivenessTest, OnlyLiveProcessesWhoseSocketStillExistsCount)
{
    EXPECT_TRUE(SessionLiveness::liveSessions(account).empty()); // no folder at all
    const auto socketPath = home() / "live.sock";
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const pid_t dead = fork(); // a process that has come and gone
    if (dead == 0)
        _exit(0);
    waitpid(dead, nullptr, 0);
    record("a.json", liveRecord(dead, "same", ",\"name\":\"dead\""));
    record("b.json", liveRecord(getpid(), "same", ",\"messagingSocketPath\":\"" + socketPath.string() + "\""));
    record("c.json", liveRecord(dead, "same", ",\"name\":\"dead too\""));
    record("gone.json", liveRecord(dead, "gone"));
    record("zero.json", liveRecord(0, "zero"));
    record("negative.json", liveRecord(-5, "negative"));
    record("huge.json", R"({"pid":4294967297,"sessionId":"wrapped"})");
    record("vanished.json", liveRecord(getpid(), "vanished", ",\"messagingSocketPath\":\"/nonexistent/x.sock\""));
    record("empty-socket.json", liveRecord(getpid(), "empty", ",\"messagingSocketPath\":\"\""));
    for (const auto& [name, json] : std::vector<std::pair<std::string, std::string>>{
             {"no-pid.json", R"({"sessionId":"a"})"},
             {"string-pid.json", R"({"pid":"1","sessionId":"b"})"},
             {"empty-id.json", liveRecord(getpid(), "")},
             {"array.json", "[1]"},
             {"broken.json", "{\"pid\":"},
             {"not-utf8.json", "{\"pid\":1,\"sessionId\":\"\xff\"}"},
             {"copy.json.bak", liveRecord(getpid(), "bak")},
             {".hidden.json", liveRecord(getpid(), "hidden")},
             {"upper.JSON", liveRecord(getpid(), "upper")},
         })
        record(name, json);
    std::filesystem::create_directories(home() / ".claude" / "sessions" / "folder.json");
    const auto live = SessionLiveness::liveSessions(account);
    EXPECT_EQ(std::tuple(live.size(), live.contains("empty"), live.at("same").socketPath,
                         SessionLiveness::isLive("same", account).has_value(),
                         SessionLiveness::isLive("vanished", account).has_value()),
              std::tuple(2u, true, socketPath.string(), true, false));
    close(fd);
}

} // namespace
} // namespace threadhop::testing
