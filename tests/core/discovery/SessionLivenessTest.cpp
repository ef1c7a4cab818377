#include "core/discovery/SessionLiveness.h"

#include "support/TempHome.h"

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace threadhop::testing {
namespace {

class SessionLivenessTest : public HomeTest {
protected:
    ClaudeAccount account{.id = "claude"};

    void record(std::string_view name, std::string_view json)
    {
        writeFile(home() / ".claude" / "sessions" / name, json);
    }

    static pid_t reapedChild()
    {
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        int status = 0;
        waitpid(child, &status, 0);
        return child;
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

TEST_F(SessionLivenessTest, OnlyLiveProcessesCount)
{
    record("me.json", liveRecord(getpid(), "mine"));
    record("gone.json", liveRecord(reapedChild(), "gone"));
    record("zero.json", liveRecord(0, "zero"));
    record("negative.json", liveRecord(-5, "negative"));
    record("huge.json", R"({"pid":4294967297,"sessionId":"wrapped"})");
    const auto live = SessionLiveness::liveSessions(account);
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live.at("mine").pid, getpid());
    EXPECT_TRUE(SessionLiveness::isLive("mine", account));
    EXPECT_FALSE(SessionLiveness::isLive("gone", account));
}

TEST_F(SessionLivenessTest, SocketPathMustStillExist)
{
    const auto socketPath = home() / "live.sock";
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    record("with-socket.json",
           liveRecord(getpid(), "socket", ",\"messagingSocketPath\":\"" + socketPath.string() + "\""));
    record("vanished.json", liveRecord(getpid(), "vanished", ",\"messagingSocketPath\":\"/nonexistent/x.sock\""));
    record("empty-socket.json", liveRecord(getpid(), "empty", ",\"messagingSocketPath\":\"\""));
    const auto live = SessionLiveness::liveSessions(account);
    EXPECT_TRUE(live.contains("socket"));
    EXPECT_TRUE(live.contains("empty"));
    EXPECT_FALSE(live.contains("vanished"));
    close(fd);
}

TEST_F(SessionLivenessTest, MalformedAndForeignFilesAreIgnored)
{
    EXPECT_TRUE(SessionLiveness::liveSessions(account).empty()); // no folder at all
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
    EXPECT_TRUE(SessionLiveness::liveSessions(account).empty());
}

TEST_F(SessionLivenessTest, ADeadRecordNeverHidesALiveOneOfTheSameSession)
{
    // Whatever order the folder lists them in.
    const pid_t dead = reapedChild();
    record("a.json", liveRecord(dead, "same", ",\"name\":\"dead\""));
    record("b.json", liveRecord(getpid(), "same", ",\"name\":\"live\""));
    record("c.json", liveRecord(dead, "same", ",\"name\":\"dead too\""));
    const auto live = SessionLiveness::liveSessions(account);
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live.at("same").name, "live");
}

} // namespace
} // namespace threadhop::testing
