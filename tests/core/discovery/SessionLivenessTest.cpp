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
