// A real process running a migration or an account move over a real conversation is killed at
// random moments; after the next start's recovery, every transcript is either byte-identical to
// the original or fully moved with its record, and nothing of ours is left behind.
// THREADHOP_CRASH_RUNS sets the number of kills of each kind (scripts/crash-test runs many).
#include "core/migration/IdentityRewriter.h"
#include "core/migration/JSONLRewriter.h"
#include "core/migration/MigrationAudit.h"
#include "core/migration/OperationRecovery.h"
#include "core/migration/OperationSteps.h"
#include "core/migration/PendingOperation.h"
#include "core/migration/SessionCopier.h"
#include "core/util/fs/AtomicFile.h"
#include "support/TempHome.h"

#include <chrono>
#include <cstring>
#include <cstdlib>
#include <random>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

constexpr const char* realSession = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";
constexpr const char* realCwd = "/home/USER/projects/spotter-worktrees/spotter-4te";
constexpr const char* realFolder = "-home-USER-projects-spotter-worktrees-spotter-4te";
constexpr const char* movedCwd = "/home/USER/moved/spotter-4te";

Files snapshot(const fs::path& folder)
{
    Files files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file())
            files[fs::relative(it->path(), folder).string()] = testing::readFile(it->path());
    }
    return files;
}

std::vector<std::string> leftovers(const fs::path& folder)
{
    std::vector<std::string> found;
    for (fs::recursive_directory_iterator it(folder), end; it != end; ++it) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(".threadhop-") || AtomicFile::isTemporaryName(name))
            found.push_back(it->path().string());
    }
    return found;
}

int runsOfEachKind()
{
    const char* runs = std::getenv("THREADHOP_CRASH_RUNS");
    return runs ? std::max(1, std::atoi(runs)) : 4;
}

// The child, its steps read from its standard output as it prints them.
class Child final {
public:
    explicit Child(const std::vector<std::string>& arguments)
    {
        int ends[2];
        EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        const int spawned = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        EXPECT_EQ(spawned, 0) << std::strerror(spawned);
        if (spawned != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        m_output = ends[0];
    }
    ~Child() { ::close(m_output); }

    // Waits (at most 60 s) until the child reports `step`, or ends.
    void waitFor(int step)
    {
        std::string pending;
        for (;;) {
            pollfd ready{m_output, POLLIN, 0};
            if (::poll(&ready, 1, 60000) <= 0)
                return;
            char chunk[256];
            const ssize_t got = ::read(m_output, chunk, sizeof chunk);
            if (got <= 0)
                return;
            pending.append(chunk, static_cast<std::size_t>(got));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
                if (pending.substr(0, end) == std::to_string(step))
                    return;
            }
        }
    }

    void kill()
    {
        if (m_pid <= 0)
            return; // never signal a whole process group
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }

private:
    pid_t m_pid = 0;
    int m_output = -1;
};

class KilledOperationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_fixtures = testing::fixtureTranscripts();
        if (!m_fixtures)
            GTEST_SKIP() << "no fixture transcripts";
        unsetenv("XDG_DATA_HOME");
    }

    // A project folder holding the real session (with its subagents) and three more copies of it.
    void arrange(const fs::path& home) const
    {
        const fs::path folder = home / ".claude" / "projects" / realFolder;
        fs::create_directories(folder);
        fs::copy_file(*m_fixtures / (std::string(realSession) + ".jsonl"), folder / (std::string(realSession) + ".jsonl"));
        fs::copy(*m_fixtures / realSession, folder / realSession, fs::copy_options::recursive);
        for (int copy = 1; copy <= 3; ++copy)
            fs::copy_file(*m_fixtures / (std::string(realSession) + ".jsonl"), folder / ("copy-" + std::to_string(copy) + ".jsonl"));
        fs::create_directories(home / ".claude-work" / "projects");
    }

    // Kills the child after it reached a random step (or at once), a random moment later.
    void killSomewhere(Child& child, const std::vector<int>& steps)
    {
        std::uniform_int_distribution<std::size_t> pick(0, steps.size());
        const std::size_t chosen = pick(m_random);
        if (chosen < steps.size())
            child.waitFor(steps[chosen]);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 40000)(m_random)));
        child.kill();
    }

    std::optional<fs::path> m_fixtures;
    std::mt19937 m_random{std::random_device{}()};
};

TEST_F(KilledOperationTest, AKilledMigrationEndsMigratedWithItsRecordOrAsItWas)
{
    const std::vector<int> steps{static_cast<int>(OperationStep::noted), static_cast<int>(OperationStep::rewritten),
                                 static_cast<int>(OperationStep::moved), static_cast<int>(OperationStep::verified)};
    for (int run = 0; run < runsOfEachKind(); ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const testing::TempFolder home;
        arrange(home.path());
        const fs::path projects = home.path() / ".claude" / "projects";
        const Files original = snapshot(projects / realFolder);

        Child child({THREADHOP_CRASH_CHILD, home.path().string(), "migrate", realFolder, realCwd, movedCwd});
        killSomewhere(child, steps);

        const ScopedHomeOverride homeOverride(home.path());
        OperationRecovery::run();
        const auto history = MigrationAudit::records();
        if (!history.empty() && history[0].success) {
            Files migrated;
            for (const auto& [name, content] : original)
                migrated[name] = JSONLRewriter::rewrittenText(content, realCwd, movedCwd, JSONLRewriter::Scope::sessionOnly);
            EXPECT_EQ(snapshot(projects / "-home-USER-moved-spotter-4te"), migrated);
            EXPECT_FALSE(fs::exists(projects / realFolder));
        } else {
            EXPECT_EQ(snapshot(projects / realFolder), original);
            EXPECT_FALSE(fs::exists(projects / "-home-USER-moved-spotter-4te"));
        }
        EXPECT_TRUE(PendingOperations::all().empty());
        EXPECT_EQ(leftovers(home.path()), std::vector<std::string>{});
    }
}

TEST_F(KilledOperationTest, AKilledForkEndsWithAWholeForkAndItsRecordOrNoCopy)
{
    const std::vector<int> steps{static_cast<int>(OperationStep::noted), static_cast<int>(OperationStep::copied),
                                 static_cast<int>(OperationStep::placed)};
    for (int run = 0; run < runsOfEachKind(); ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const testing::TempFolder home;
        arrange(home.path());
        const fs::path targetProjects = home.path() / ".claude-work" / "projects";
        const Files source = snapshot(home.path() / ".claude" / "projects");

        Child child({THREADHOP_CRASH_CHILD, home.path().string(), "fork", realFolder, realSession, realCwd});
        killSomewhere(child, steps);

        const ScopedHomeOverride homeOverride(home.path());
        OperationRecovery::run();
        const auto history = MigrationAudit::records();
        Files copied = snapshot(targetProjects);
        copied.erase(std::string(realFolder) + "/THREADHOP-MOVES.md"); // written after the record, at its own pace
        if (!history.empty() && history[0].success) {
            ASSERT_TRUE(history[0].newSessionId);
            const auto layout = SessionCopier::layout(*history[0].newSessionId, targetProjects / realFolder);
            EXPECT_EQ(copied.size(), layout.allFiles.size());
            const auto copiedValues = IdentityRewriter::identityValues(IdentityRewriter::identityFiles(layout.allFiles));
            EXPECT_FALSE(copiedValues.contains(realSession));
        } else {
            EXPECT_EQ(copied, Files{});
        }
        Files sourceNow = snapshot(home.path() / ".claude" / "projects");
        sourceNow.erase(std::string(realFolder) + "/THREADHOP-MOVES.md");
        EXPECT_EQ(sourceNow, source);
        EXPECT_TRUE(PendingOperations::all().empty());
        EXPECT_EQ(leftovers(home.path()), std::vector<std::string>{});
    }
}

} // namespace
} // namespace threadhop
