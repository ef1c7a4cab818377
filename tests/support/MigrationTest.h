#pragma once

#include "TempHome.h"
#include "core/accountmove/AccountMover.h"
#include "core/migration/ConversationMigrator.h"
#include "core/operations/MigrationAudit.h"
#include "core/operations/OperationSteps.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/AtomicFile.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace threadhop::testing {

/// Files by their relative paths, with their bytes.
using Files = std::map<std::string, std::string>;

/// The twelve keys whose UUID-shaped values tie a conversation's lines together, written out here
/// rather than read from IdentityRewriter: a key missing from its table must fail a test.
inline constexpr std::array<std::string_view, 12> identityKeysAsListed{"sessionId",
                                                                       "session_id",
                                                                       "uuid",
                                                                       "parentUuid",
                                                                       "logicalParentUuid",
                                                                       "leafUuid",
                                                                       "messageId",
                                                                       "snapshotMessageId",
                                                                       "interruptedMessageId",
                                                                       "promptId",
                                                                       "sourceToolAssistantUUID",
                                                                       "sourceToolUseID"};

/// What a test throws from a step hook to stop an operation there as a crash would: no
/// std::exception, so the operation's own handlers let it through and leave every file as it is.
struct SimulatedCrash { };

/// A temporary home with an account's projects folder, its history and backups.
class MigrationTest : public HomeTest {
public:
    static constexpr const char* stamp = "20240501-093000";
    static constexpr const char* sessionId = "5e55105e-0000-4000-8000-000000000001";
    /// The large real conversation among the fixtures, the directory it was recorded in and its folder.
    static constexpr const char* realSession = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";
    static constexpr const char* realCwd = "/home/USER/projects/spotter-worktrees/spotter-4te";
    static constexpr const char* realFolder = "-home-USER-projects-spotter-worktrees-spotter-4te";
    /// Line uuids of conversation `sessionId`.
    static inline const std::string u1 = "11111111-1111-4111-8111-111111111111";
    static inline const std::string u2 = "22222222-2222-4222-8222-222222222222";
    static inline const std::string u3 = "33333333-3333-4333-8333-333333333333";
    static inline const std::string u4 = "44444444-4444-4444-8444-444444444444";

    /// A line of conversation `sessionId`, recorded in /w/app.
    static std::string line(std::string_view uuid, std::string_view parent, std::string_view extra = "")
    {
        return sessionLine(sessionId, uuid, parent, extra);
    }

protected:
    fs::path projects() const { return home() / ".claude" / "projects"; }
    /// The projects folder of the account that accountMove() moves into.
    fs::path targetProjects() const { return home() / ".claude-work" / "projects"; }

    void transcript(std::string_view folder, std::string_view name, std::string_view content) const
    {
        writeFile(projects() / folder / name, content);
    }

    /// A project in -w-old (/w/old): a.jsonl, which once drifted into /w/new/docs, with its subagent, and
    /// b.jsonl; with `merge`, -w-new already holds a conversation of its own.
    void oldProject(bool merge = false) const
    {
        transcript("-w-old", "a.jsonl", cwdLine("/w/old") + cwdLine("/w/new/docs"));
        transcript("-w-old", "a/subagents/agent.jsonl", cwdLine("/w/old"));
        transcript("-w-old", "b.jsonl", cwdLine("/w/old/src") + "{\"type\":\"summary\"}\n");
        if (merge)
            transcript("-w-new", "theirs.jsonl", cwdLine("/w/new"));
    }

    /// Conversation `sessionId` in -w-app as `text`, with one subagent whose transcript and meta file
    /// name its first line.
    void conversation(std::string_view text) const
    {
        const std::string side = std::string(sessionId) + "/subagents/agent-1";
        transcript("-w-app", std::string(sessionId) + ".jsonl", text);
        transcript("-w-app", side + ".jsonl", line(u4, u1));
        transcript("-w-app", side + ".meta.json", "{\"parentUuid\":\"" + u1 + "\"}");
    }

    /// Tells that conversation `session` is open in Claude Code, in this very process.
    void markOpen(std::string_view session = sessionId) const
    {
        writeFile(home() / ".claude" / "sessions" / "1.json", liveRecord(getpid(), session));
    }

    /// Runs `operation`, stopping it at `step` as a crash would.
    static void crashAt(OperationStep step, const std::function<void()>& operation)
    {
        OperationSteps::ScopedHook hook([step](OperationStep reached) {
            if (reached == step)
                throw SimulatedCrash{};
        });
        EXPECT_THROW(operation(), SimulatedCrash);
    }

    /// The one record of the history; fails the test when there is not exactly one.
    static MigrationRecord onlyRecord()
    {
        const auto history = MigrationAudit::records();
        EXPECT_EQ(history.size(), 1u);
        return history.empty() ? MigrationRecord{} : history.front();
    }

    static std::size_t archives() { return entries(AppPaths::backupsDir()).size(); }

    ConversationMigrator::Input input(std::string oldFolder = "-w-old", std::string oldCwd = "/w/old",
                                      std::string newCwd = "/w/new") const
    {
        return {.accountId = "claude",
                .projectsRoot = projects(),
                .oldFolderName = std::move(oldFolder),
                .oldCwd = std::move(oldCwd),
                .newCwd = std::move(newCwd),
                .allowPopulatedDestination = true};
    }

    /// Where a migration of `folder` at `stamp` keeps its backup.
    static std::string backupOf(const std::string& folder) { return archive(folder + "-" + stamp + ".tar.gz"); }
    static std::string archive(const std::string& name) { return (AppPaths::backupsDir() / name).string(); }

    /// Moves entries as a migration does, but fails with `error` at the moves numbered in `failing`.
    static ConversationMigrator::EntryMove failingAt(std::set<int> failing, std::errc error)
    {
        return [failing, error, moves = std::make_shared<int>(0)](const auto& from, const auto& to) {
            if (failing.contains(++*moves))
                throw fs::filesystem_error("move", from, to, std::make_error_code(error));
            AtomicFile::moveWithoutReplacing(from, to);
        };
    }

    /// A move of conversation `sessionId` from the default account into "claude-work" (~/.claude-work).
    AccountMoveInput accountMove(MoveMode mode, std::string folder = "-w-app", std::string cwd = "/w/app") const
    {
        return {.source = {.id = "claude"},
                .target = {.id = "claude-work", .configDir = (home() / ".claude-work").string()},
                .sessionId = sessionId,
                .sourceFolderName = std::move(folder),
                .launchCwd = std::move(cwd),
                .mode = mode};
    }

    /// Copies the real conversation, its subagents included, into `folder`.
    static void copyRealSession(const fs::path& folder)
    {
        const auto fixtures = fixtureTranscripts();
        fs::create_directories(folder);
        fs::copy_file(fixtures / (std::string(realSession) + ".jsonl"), folder / (std::string(realSession) + ".jsonl"));
        fs::copy(fixtures / realSession, folder / realSession, fs::copy_options::recursive);
    }

    /// Every file below `folder` by its path relative to it, with its bytes.
    static Files snapshot(const fs::path& folder)
    {
        Files files;
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            if (it->is_regular_file())
                files[fs::relative(it->path(), folder).string()] = readFile(it->path());
        }
        return files;
    }

    /// Every file below the home but the lock files that any operation, even a refused one, may create.
    Files homeFiles() const
    {
        auto files = snapshot(home());
        std::erase_if(files,
                      [](const auto& file) { return file.first.find("/Threadhop/locks/") != std::string::npos; });
        return files;
    }

    /// Names of ours (notes, half-written files) below `folder`: a finished operation leaves none.
    static std::vector<std::string> leftovers(const fs::path& folder)
    {
        std::vector<std::string> found;
        for (fs::recursive_directory_iterator it(folder), end; it != end; ++it) {
            const std::string name = it->path().filename().string();
            if (name.starts_with(".threadhop-") || AtomicFile::isTemporaryName(name))
                found.push_back(it->path().string());
        }
        return found;
    }

    static std::vector<std::string> entries(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace threadhop::testing
