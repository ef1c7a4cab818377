#include "core/migration/AccountMover.h"

#include "core/migration/IdentityRewriter.h"
#include "core/migration/MigrationAudit.h"
#include "core/migration/MoveLedger.h"
#include "core/migration/SessionCopier.h"
#include "core/util/fs/AppPaths.h"
#include "core/validation/TranscriptLines.h"
#include "core/util/text/UnicodeText.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "support/TempHome.h"

#include <simdjson.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

constexpr const char* sessionId = "5e55105e-0000-4000-8000-000000000001";
constexpr const char* stamp = "20240501-093000";

std::string line(std::string_view uuid, std::string_view parent, std::string_view extra = "")
{
    return "{\"type\":\"user\",\"cwd\":\"/w/app\",\"sessionId\":\"" + std::string(sessionId) + "\",\"uuid\":\"" + std::string(uuid)
           + "\",\"parentUuid\":" + (parent.empty() ? std::string("null") : "\"" + std::string(parent) + "\"") + std::string(extra)
           + "}\n";
}

std::string toolUse(std::string_view uuid, std::string_view parent, std::string_view id)
{
    return line(uuid, parent, ",\"message\":{\"content\":[{\"type\":\"tool_use\",\"id\":\"" + std::string(id) + "\"}]}");
}

std::string toolResult(std::string_view uuid, std::string_view parent, std::string_view id)
{
    return line(uuid, parent, ",\"message\":{\"content\":[{\"type\":\"tool_result\",\"tool_use_id\":\"" + std::string(id) + "\"}]}");
}

const std::string u1 = "11111111-1111-4111-8111-111111111111";
const std::string u2 = "22222222-2222-4222-8222-222222222222";
const std::string u3 = "33333333-3333-4333-8333-333333333333";
const std::string u4 = "44444444-4444-4444-8444-444444444444";

class AccountMoveTest : public testing::HomeTest {
protected:
    ClaudeAccount source{.id = "claude",
                         .identity = AccountIdentity{.emailAddress = "ana@example.com", .sourcePath = "/x"}};
    ClaudeAccount target{.id = "claude-work", .configDir = (home() / ".claude-work").string()};

    fs::path sourceFolder() const { return home() / ".claude" / "projects" / "-w-app"; }
    fs::path targetFolder(std::string_view name = "-w-app") const { return home() / ".claude-work" / "projects" / name; }

    void conversation(const std::string& text) const
    {
        writeFile(sourceFolder() / (std::string(sessionId) + ".jsonl"), text);
        writeFile(sourceFolder() / sessionId / "subagents" / "agent-1.jsonl", line(u4, u1));
        writeFile(sourceFolder() / sessionId / "subagents" / "agent-1.meta.json", "{\"parentUuid\":\"" + u1 + "\"}");
    }

    AccountMoveInput input(MoveMode mode, TranscriptScope scope = TranscriptScope::full()) const
    {
        return {.source = source, .target = target, .sessionId = sessionId, .sourceFolderName = "-w-app",
                .launchCwd = "/w/app", .mode = mode, .scope = scope};
    }

    template <typename Error>
    std::string refusal(const AccountMoveInput& request) const
    {
        try {
            AccountMover::move(request, stamp);
        } catch (const Error& error) {
            return error.what();
        }
        ADD_FAILURE() << "no refusal";
        return {};
    }

    std::size_t archives() const
    {
        return fs::exists(AppPaths::backupsDir()) ? static_cast<std::size_t>(std::distance(fs::directory_iterator(AppPaths::backupsDir()), {})) : 0;
    }
};

TEST_F(AccountMoveTest, CloneKeepsTheIdAndItsCollisionIsRefusedFirst)
{
    conversation(line(u1, "") + line(u2, u1));
    const auto record = AccountMover::move(input(MoveMode::clone), stamp);
    const fs::path copied = targetFolder() / (std::string(sessionId) + ".jsonl");
    EXPECT_EQ(readFile(copied), readFile(sourceFolder() / (std::string(sessionId) + ".jsonl")));
    EXPECT_TRUE(fs::exists(targetFolder() / sessionId / "subagents" / "agent-1.meta.json"));
    EXPECT_FALSE(record.newSessionId);
    EXPECT_EQ(record.moveMode, "clone");
    EXPECT_EQ(record.message, "Clone to claude-work: 3 files, Full.");
    EXPECT_NE(readFile(targetFolder() / "THREADHOP-MOVES.md").find("> ⚠️ This sessionId now exists in two accounts."), std::string::npos);

    const auto archivesBefore = archives();
    EXPECT_EQ(refusal<AccountMoveError>(input(MoveMode::clone)),
              "The destination account already holds this conversation: " + targetFolder().string());
    EXPECT_EQ(archives(), archivesBefore);
}

TEST_F(AccountMoveTest, ForkGetsFreshIdentityValuesAndKeepsItsLinks)
{
    conversation(line(u1, "") + line(u2, u1) + line(u3, u2, ",\"teamName\":\"session-5e55105e\""));
    const auto record = AccountMover::move(input(MoveMode::fork), stamp);
    ASSERT_TRUE(record.newSessionId);
    const std::string newId = *record.newSessionId;
    EXPECT_TRUE(IdentityRewriter::isUUID(newId));
    EXPECT_EQ(newId, UnicodeText::lowercased(newId));
    const std::string copy = readFile(targetFolder() / (newId + ".jsonl"));
    for (const auto& old : {std::string(sessionId), u1, u2, u3})
        EXPECT_EQ(copy.find(old), std::string::npos) << old;
    EXPECT_NE(copy.find("\"teamName\":\"session-" + newId.substr(0, 8) + "\""), std::string::npos);

    // Every parent link still points at the line it pointed at: line k's parent is line k-1's uuid.
    simdjson::dom::parser parser;
    std::vector<std::pair<std::string, std::string>> links;
    for (const auto text : TranscriptLines::split(copy)) {
        const auto object = parser.parse(simdjson::padded_string(text)).get_object().value();
        std::string_view uuid = object["uuid"].get_string().value();
        std::string_view parent;
        const bool hasParent = object["parentUuid"].get_string().get(parent) == simdjson::SUCCESS;
        links.emplace_back(std::string(uuid), hasParent ? std::string(parent) : "");
    }
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[1].second, links[0].first);
    EXPECT_EQ(links[2].second, links[1].first);
    const std::string agent = readFile(targetFolder() / newId / "subagents" / "agent-1.jsonl");
    EXPECT_NE(agent.find("\"parentUuid\":\"" + links[0].first + "\""), std::string::npos);
    EXPECT_EQ(readFile(targetFolder() / newId / "subagents" / "agent-1.meta.json"), "{\"parentUuid\":\"" + links[0].first + "\"}");
    EXPECT_EQ(record.message, "Fork to claude-work: 3 files, Full.");
}

TEST_F(AccountMoveTest, TrimmingNeedsAForkAndRescuesABrokenTranscript)
{
    // A call in the middle that was never answered: the full move is refused, a trimmed fork is not.
    conversation(line(u1, "") + toolUse(u2, u1, "toolu_lost") + line(u3, u2) + toolUse(u4, u3, "toolu_a")
                 + toolResult("55555555-5555-4555-8555-555555555555", u4, "toolu_a")
                 + line("66666666-6666-4666-8666-666666666666", "55555555-5555-4555-8555-555555555555"));
    EXPECT_EQ(refusal<AccountMoveError>(input(MoveMode::fork)),
              "The transcript has 1 tool calls that were never answered, with content after them. Trim to the last "
              "complete exchange first.");
    EXPECT_EQ(refusal<AccountMoveError>(input(MoveMode::clone, TranscriptScope::trimmed(2))),
              AccountMoveError::trimNeedsFork().what());
    EXPECT_EQ(archives(), 0u);

    const auto record = AccountMover::move(input(MoveMode::fork, TranscriptScope::trimmed(2)), stamp);
    const std::string copy = readFile(targetFolder() / (*record.newSessionId + ".jsonl"));
    const auto integrity = TranscriptAnalyzer::analyze(copy);
    EXPECT_EQ(integrity.lines, 3); // the cut moved back to keep toolu_a with its result
    EXPECT_TRUE(integrity.unansweredInMiddle.empty());
    EXPECT_NE(copy.find("\"parentUuid\":null"), std::string::npos);
    EXPECT_EQ(record.message, "Fork to claude-work: 3 files, Last 2 messages.");
    EXPECT_NE(readFile(sourceFolder() / "THREADHOP-MOVES.md")
                  .find("- scope:      trimmed — kept 3 lines, dropped 3 (boundary moved back 1 lines to stay replayable)"),
              std::string::npos);
}

TEST_F(AccountMoveTest, UnderANewWorkingDirectoryOnlyTheCopyIsRewritten)
{
    conversation(line(u1, "") + line(u2, u1));
    // Another conversation already in the target folder, which once worked in /w/app.
    const std::string neighbour = "{\"cwd\":\"/srv/new\"}\n{\"cwd\":\"/w/app\"}\n";
    writeFile(targetFolder("-srv-new") / "neighbour.jsonl", neighbour);
    auto request = input(MoveMode::fork);
    request.newCwd = "/srv/new";
    const auto record = AccountMover::move(request, stamp);
    EXPECT_EQ(record.newCwd, "/srv/new");
    EXPECT_EQ(record.newFolder, "-srv-new");
    EXPECT_EQ(record.filesRewritten, 2);
    EXPECT_EQ(record.occurrencesReplaced, 3);
    EXPECT_EQ(TranscriptAnalyzer::analyze(readFile(targetFolder("-srv-new") / (*record.newSessionId + ".jsonl"))).recordedCwds,
              std::vector<std::string>{"/srv/new"});
    EXPECT_EQ(readFile(targetFolder("-srv-new") / "neighbour.jsonl"), neighbour);
    EXPECT_TRUE(fs::exists(AppPaths::backupsDir() / ("-srv-new-" + std::string(stamp) + "-target.tar.gz")));
    EXPECT_NE(readFile(targetFolder("-srv-new") / "THREADHOP-MOVES.md").find("- cwd:        /w/app → /srv/new\n"),
              std::string::npos);
}

TEST_F(AccountMoveTest, AFailedVerificationRemovesTheCopy)
{
    conversation("{\"cwd\":\"/elsewhere\",\"uuid\":\"" + u1 + "\"}\n");
    EXPECT_EQ(refusal<AccountMoveError>(input(MoveMode::fork)),
              "Verification failed after the move: the copied transcript records /elsewhere, which does not encode to -w-app");
    // The copy was made aside and never stood in the target folder; nothing of it is left.
    EXPECT_FALSE(fs::exists(targetFolder()));
    EXPECT_TRUE(fs::is_empty(targetFolder().parent_path()));
    EXPECT_TRUE(MigrationAudit::records().empty());
    EXPECT_FALSE(fs::exists(sourceFolder() / "THREADHOP-MOVES.md"));
    EXPECT_EQ(archives(), 1u); // the source archive stays
}

TEST_F(AccountMoveTest, NotesInBothFoldersAndTheHistoryRecord)
{
    conversation(line(u1, "") + line(u2, u1));
    const auto record = AccountMover::move(input(MoveMode::fork), stamp);
    const std::string backup = (AppPaths::backupsDir() / ("-w-app-" + std::string(stamp) + ".tar.gz")).string();

    const std::string outgoing = readFile(sourceFolder() / "THREADHOP-MOVES.md");
    const std::string incoming = readFile(targetFolder() / "THREADHOP-MOVES.md");
    EXPECT_TRUE(outgoing.starts_with("# Threadhop — conversation moves\n\n"));
    EXPECT_NE(outgoing.find(" — moved out (B — fork, identity rewritten)\n\n- session:    `" + std::string(sessionId) + "`\n- new id:     `"
                            + *record.newSessionId + "`\n- from:       claude  (" + (home() / ".claude").string()
                            + ") — ana@example.com\n- to:         claude-work  (" + (home() / ".claude-work").string() + ")\n"),
              std::string::npos)
        << outgoing;
    EXPECT_NE(outgoing.find("- files:      3 files (1 subagent transcripts)\n- verified:   yes — 3/3 files\n- backup:     " + backup + "\n"),
              std::string::npos);
    EXPECT_NE(outgoing.find("- cwd:        unchanged (/w/app)\n"), std::string::npos);
    EXPECT_EQ(outgoing.find("two accounts"), std::string::npos);
    EXPECT_NE(incoming.find(" — arrived (B — fork, identity rewritten)"), std::string::npos);

    EXPECT_EQ(record.accountId, "claude");
    EXPECT_EQ(record.targetAccountId, "claude-work");
    EXPECT_EQ(record.oldCwd, "/w/app");
    EXPECT_EQ(record.newCwd, "/w/app");
    EXPECT_EQ(record.oldFolder, "-w-app");
    EXPECT_EQ(record.newFolder, "-w-app");
    EXPECT_EQ(record.filesRewritten, 0);
    EXPECT_EQ(record.occurrencesReplaced, 0);
    EXPECT_EQ(record.occurrencesByClass, (std::map<std::string, std::int64_t>{}));
    EXPECT_EQ(record.backupPath, backup);
    EXPECT_EQ(record.rewroteHistory, false);
    EXPECT_EQ(record.moveMode, "fork");
    EXPECT_TRUE(record.success);
    EXPECT_FALSE(record.dryRun);
    EXPECT_FALSE(record.movedEntryNames);
    EXPECT_FALSE(record.revertsRecordId);
    const auto history = MigrationAudit::records();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].id, record.id);
    EXPECT_EQ(history[0].newSessionId, record.newSessionId);
}

TEST_F(AccountMoveTest, RealSessionForksIntoAnEmptyAccount)
{
    const auto fixtures = testing::fixtureTranscripts();
    if (!fixtures)
        GTEST_SKIP() << "no fixture transcripts";
    const std::string real = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";
    const std::string cwd = "/home/USER/projects/spotter-worktrees/spotter-4te";
    const fs::path folder = home() / ".claude" / "projects" / "-home-USER-projects-spotter-worktrees-spotter-4te";
    fs::create_directories(folder);
    fs::copy_file(*fixtures / (real + ".jsonl"), folder / (real + ".jsonl"));
    fs::copy(*fixtures / real, folder / real, fs::copy_options::recursive);

    AccountMoveInput request{.source = source, .target = target, .sessionId = real, .sourceFolderName = folder.filename().string(),
                             .launchCwd = cwd, .mode = MoveMode::fork};
    const auto record = AccountMover::move(request, stamp);
    const fs::path copy = targetFolder(folder.filename().string()) / (*record.newSessionId + ".jsonl");
    const auto original = TranscriptAnalyzer::analyze(readFile(folder / (real + ".jsonl")));
    const auto forked = TranscriptAnalyzer::analyze(readFile(copy));
    EXPECT_EQ(forked.lines, original.lines);
    EXPECT_EQ(forked.invalidLines, 0);
    EXPECT_EQ(forked.unansweredAtTail, original.unansweredAtTail);
    EXPECT_EQ(forked.unansweredInMiddle, original.unansweredInMiddle);
    EXPECT_EQ(record.message, "Fork to claude-work: 3 files, Full.");
    const auto copied = IdentityRewriter::identityValues(IdentityRewriter::identityFiles(
        SessionCopier::layout(*record.newSessionId, targetFolder(folder.filename().string())).allFiles));
    const auto source = IdentityRewriter::identityValues(IdentityRewriter::identityFiles(SessionCopier::layout(real, folder).allFiles));
    EXPECT_GT(copied.size(), 1000u);
    EXPECT_TRUE(std::none_of(copied.begin(), copied.end(), [&](const std::string& value) { return source.contains(value); }));
}

} // namespace
} // namespace threadhop
