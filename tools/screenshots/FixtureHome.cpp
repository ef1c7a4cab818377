#include "FixtureHome.h"

#include "support/TempHome.h"

#include "core/encoding/CwdCodec.h"

#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>

namespace threadhop::testing {
namespace {

void setAge(const std::filesystem::path& path, std::chrono::seconds age)
{
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>((std::chrono::system_clock::now() - age).time_since_epoch())
            .count();
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

void conversation(const std::filesystem::path& projects, const std::string& folder, const std::string& name,
                  const std::string& content, std::chrono::seconds age)
{
    const auto path = projects / folder / name;
    writeFile(path, content);
    setAge(path, age);
}

} // namespace

std::string FixtureHome::userMessage(const std::string& cwd)
{
    return cwdLine(cwd, R"(,"message":{"role":"user","content":"hello"})");
}

void FixtureHome::write(const std::filesystem::path& home)
{
    using namespace std::chrono_literals;
    const auto claude = home / ".claude";
    const auto projects = claude / "projects";
    writeFile(claude / ".claude.json",
              std::string(R"({"oauthAccount":{"emailAddress":")") + email + R"(","organizationName":"Example"}})");

    const std::string site = (home / "code" / "site").string();
    const std::string api = (home / "code" / "api").string();
    const std::string renamed = (home / "code" / "renamed-app").string();
    // Outside the temporary folder the home lives in: a missing directory under /tmp counts as a
    // vanished temporary location, not as a problem.
    const std::string gone = "/nonexistent-threadhop-fixture/code/gone";
    for (const auto& folder : {site, api, renamed})
        std::filesystem::create_directories(folder);

    conversation(projects, CwdCodec::encode(site), "s1.jsonl", userMessage(site) + userMessage(site), 5min);
    conversation(projects, CwdCodec::encode(site), "s2.jsonl", userMessage(site), 2h);
    conversation(projects, CwdCodec::encode(api), "a1.jsonl", userMessage(api), 3 * 24h);
    conversation(projects, CwdCodec::encode(api), "a1/subagents/agent-1.jsonl", userMessage(api), 3 * 24h);
    conversation(projects, CwdCodec::encode((home / "code" / "old-app").string()), "m1.jsonl", userMessage(renamed),
                 20 * 24h);
    conversation(projects, CwdCodec::encode(gone), "g1.jsonl", userMessage(gone), 90 * 24h);
    const std::string scratch = "/tmp/threadhop-fixture-vanished/scratch";
    conversation(projects, CwdCodec::encode(scratch), "t1.jsonl", userMessage(scratch), 400 * 24h);
    conversation(projects, "-Users-ana-notes", "n1.jsonl",
                 R"({"type":"summary","summary":"notes"})"
                 "\n",
                 40s);
}

} // namespace threadhop::testing
