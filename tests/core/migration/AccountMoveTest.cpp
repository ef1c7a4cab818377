#include "core/migration/IdentityRewriter.h"
#include "core/migration/SessionCopier.h"
#include "core/util/text/UnicodeText.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "support/MigrationTest.h"

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

const std::string u1 = "11111111-1111-4111-8111-111111111111";
const std::string u2 = "22222222-2222-4222-8222-222222222222";
const std::string u3 = "33333333-3333-4333-8333-333333333333";
const std::string u4 = "44444444-4444-4444-8444-444444444444";

// The text of the string member `key` of a compact line.
std::string member(std::string_view line, std::string_view key)
{
    const std::string opening = "\"" + std::string(key) + "\":\"";
    const auto start = line.find(opening) + opening.size();
    return std::string(line.substr(start, line.find('"', start) - start));
}

class AccountMoveTest : public testing::MigrationTest {
protected:
    static std::string line(std::string_view uuid, std::string_view parent, std::string_view extra = "")
    {
        const std::string parentText = parent.empty() ? "null" : "\"" + std::string(parent) + "\"";
        return "{\"type\":\"user\",\"cwd\":\"/w/app\",\"sessionId\":\"" + std::string(sessionId) + "\",\"uuid\":\""
            + std::string(uuid) + "\",\"parentUuid\":" + parentText + std::string(extra) + "}\n";
    }

    static std::string toolBlock(std::string_view uuid, std::string_view parent, std::string_view block)
    {
        return line(uuid, parent, ",\"message\":{\"content\":[{" + std::string(block) + "}]}");
    }

    fs::path sourceFolder() const { return projects() / "-w-app"; }
    fs::path targetFolder(std::string_view name = "-w-app") const { return targetProjects() / name; }

    // The transcript `text`, with one subagent whose transcript and meta file name its first line.
    void conversation(const std::string& text) const
    {
        const std::string side = std::string(sessionId) + "/subagents/agent-1";
        transcript("-w-app", std::string(sessionId) + ".jsonl", text);
        transcript("-w-app", side + ".jsonl", line(u4, u1));
        transcript("-w-app", side + ".meta.json", "{\"parentUuid\":\"" + u1 + "\"}");
    }

    std::string refusal(const AccountMoveInput& request) const
    {
        return testing::thrown<AccountMoveError>([&] { AccountMover::move(request, stamp); });
    }

    std::size_t archives() const
    {
        const auto backups = AppPaths::backupsDir();
        return fs::exists(backups) ? static_cast<std::size_t>(std::distance(fs::directory_iterator(backups), {})) : 0;
    }
};

TEST_F(AccountMoveTest, CloneKeepsTheIdAndItsCollisionIsRefusedFirst)
{
    conversation(line(u1, "") + line(u2, u1));
    const auto record = AccountMover::move(accountMove(MoveMode::clone), stamp);
    const fs::path copied = targetFolder() / (std::string(sessionId) + ".jsonl");
    EXPECT_EQ(readFile(copied), readFile(sourceFolder() / (std::string(sessionId) + ".jsonl")));
    EXPECT_TRUE(fs::exists(targetFolder() / sessionId / "subagents" / "agent-1.meta.json"));
    EXPECT_FALSE(record.newSessionId);
    EXPECT_EQ(record.moveMode, "clone");
    EXPECT_EQ(record.message, "Clone to claude-work: 3 files, Full.");
    EXPECT_NE(
        readFile(targetFolder() / "THREADHOP-MOVES.md").find("> ⚠️ This sessionId now exists in two accounts."),
        std::string::npos);

    const auto archivesBefore = archives();
    EXPECT_EQ(refusal(accountMove(MoveMode::clone)),
              "The destination account already holds this conversation: " + targetFolder().string());
    EXPECT_EQ(archives(), archivesBefore);
}

// How values are replaced is IdentityRewriter's; here, that a fork gets a fresh id and all of its files.
TEST_F(AccountMoveTest, AForkGetsAFreshLowercaseIdAndEveryFileOfItIsRewritten)
{
    conversation(line(u1, "") + line(u2, u1, ",\"teamName\":\"session-5e55105e\""));
    const auto record = AccountMover::move(accountMove(MoveMode::fork), stamp);
    const std::string newId = record.newSessionId.value_or("");
    EXPECT_TRUE(IdentityRewriter::isUUID(newId));
    EXPECT_EQ(newId, UnicodeText::lowercased(newId));
    const std::string copy = readFile(targetFolder() / (newId + ".jsonl"));
    EXPECT_NE(copy.find("\"teamName\":\"session-" + newId.substr(0, 8) + "\""), std::string::npos);
    // The subagent's transcript and meta file still name the first line, by its new uuid.
    const std::string first = member(copy, "uuid");
    EXPECT_NE(first, u1);
    const fs::path side = targetFolder() / newId / "subagents";
    EXPECT_EQ(member(readFile(side / "agent-1.jsonl"), "parentUuid"), first);
    EXPECT_EQ(readFile(side / "agent-1.meta.json"), "{\"parentUuid\":\"" + first + "\"}");
}

TEST_F(AccountMoveTest, TrimmingNeedsAForkAndRescuesABrokenTranscript)
{
    // A call in the middle that was never answered: the full move is refused, a trimmed fork is not.
    const std::string u5 = "55555555-5555-4555-8555-555555555555";
    conversation(line(u1, "") + toolBlock(u2, u1, R"("type":"tool_use","id":"toolu_lost")") + line(u3, u2)
                 + toolBlock(u4, u3, R"("type":"tool_use","id":"toolu_a")")
                 + toolBlock(u5, u4, R"("type":"tool_result","tool_use_id":"toolu_a")")
                 + line("66666666-6666-4666-8666-666666666666", u5));
    EXPECT_EQ(refusal(accountMove(MoveMode::fork)),
              "The transcript has 1 tool calls that were never answered, with content after them. Trim to the last "
              "complete exchange first.");
    auto trimmed = accountMove(MoveMode::clone);
    trimmed.scope = TranscriptScope::trimmed(2);
    EXPECT_EQ(refusal(trimmed), AccountMoveError::trimNeedsFork().what());
    EXPECT_EQ(archives(), 0u);

    trimmed.mode = MoveMode::fork;
    const auto record = AccountMover::move(trimmed, stamp);
    const std::string copy = readFile(targetFolder() / (*record.newSessionId + ".jsonl"));
    const auto integrity = TranscriptAnalyzer::analyze(copy);
    EXPECT_EQ(integrity.lines, 3); // the cut moved back to keep toolu_a with its result
    EXPECT_TRUE(integrity.unansweredInMiddle.empty());
    EXPECT_NE(copy.find("\"parentUuid\":null"), std::string::npos);
    EXPECT_EQ(record.message, "Fork to claude-work: 3 files, Last 2 messages.");
    EXPECT_NE(readFile(sourceFolder() / "THREADHOP-MOVES.md")
                  .find("- scope:      trimmed — kept 3 lines, dropped 3 (boundary moved back 1 lines to stay "
                        "replayable)"),
              std::string::npos);
}

TEST_F(AccountMoveTest, UnderANewWorkingDirectoryOnlyTheCopyIsRewritten)
{
    conversation(line(u1, "") + line(u2, u1));
    // Another conversation already in the target folder, which once worked in /w/app.
    const std::string neighbour = "{\"cwd\":\"/srv/new\"}\n{\"cwd\":\"/w/app\"}\n";
    writeFile(targetFolder("-srv-new") / "neighbour.jsonl", neighbour);
    auto request = accountMove(MoveMode::fork);
    request.newCwd = "/srv/new";
    const auto record = AccountMover::move(request, stamp);
    EXPECT_EQ(record.newCwd, "/srv/new");
    EXPECT_EQ(record.newFolder, "-srv-new");
    EXPECT_EQ(record.filesRewritten, 2);
    EXPECT_EQ(record.occurrencesReplaced, 3);
    const auto copy = readFile(targetFolder("-srv-new") / (*record.newSessionId + ".jsonl"));
    EXPECT_EQ(TranscriptAnalyzer::analyze(copy).recordedCwds, std::vector<std::string>{"/srv/new"});
    EXPECT_EQ(readFile(targetFolder("-srv-new") / "neighbour.jsonl"), neighbour);
    EXPECT_TRUE(fs::exists(archive("-srv-new-" + std::string(stamp) + "-target.tar.gz")));
    EXPECT_NE(readFile(targetFolder("-srv-new") / "THREADHOP-MOVES.md").find("- cwd:        /w/app → /srv/new\n"),
              std::string::npos);
}

TEST_F(AccountMoveTest, AFailedVerificationRemovesTheCopy)
{
    conversation("{\"cwd\":\"/elsewhere\",\"uuid\":\"" + u1 + "\"}\n");
    EXPECT_EQ(refusal(accountMove(MoveMode::fork)),
              "Verification failed after the move: the copied transcript records "
              "/elsewhere, which does not encode to -w-app");
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
    auto request = accountMove(MoveMode::fork);
    request.source.identity = AccountIdentity{.emailAddress = "ana@example.com", .sourcePath = "/x"};
    const auto record = AccountMover::move(request, stamp);

    const std::string outgoing = readFile(sourceFolder() / "THREADHOP-MOVES.md");
    EXPECT_TRUE(outgoing.starts_with("# Threadhop — conversation moves\n\n"));
    EXPECT_NE(outgoing.find(" — moved out (B — fork, identity rewritten)\n\n- session:    `" + std::string(sessionId)
                            + "`\n- new id:     `" + *record.newSessionId + "`\n- from:       claude  ("
                            + (home() / ".claude").string() + ") — ana@example.com\n- to:         claude-work  ("
                            + (home() / ".claude-work").string() + ")\n"),
              std::string::npos)
        << outgoing;
    EXPECT_NE(outgoing.find("- files:      3 files (1 subagent transcripts)\n- verified:   yes — 3/3 files\n"
                            "- backup:     "
                            + backupOf("-w-app") + "\n"),
              std::string::npos);
    EXPECT_NE(outgoing.find("- cwd:        unchanged (/w/app)\n"), std::string::npos);
    EXPECT_EQ(outgoing.find("two accounts"), std::string::npos);
    EXPECT_NE(readFile(targetFolder() / "THREADHOP-MOVES.md").find(" — arrived (B — fork, identity rewritten)"),
              std::string::npos);

    EXPECT_EQ(record,
              (MigrationRecord{.id = record.id,
                               .timestamp = record.timestamp,
                               .accountId = "claude",
                               .oldCwd = "/w/app",
                               .newCwd = "/w/app",
                               .oldFolder = "-w-app",
                               .newFolder = "-w-app",
                               .backupPath = backupOf("-w-app"),
                               .success = true,
                               .message = "Fork to claude-work: 3 files, Full.",
                               .rewroteHistory = false,
                               .occurrencesByClass = std::map<std::string, std::int64_t>{},
                               .targetAccountId = "claude-work",
                               .moveMode = "fork",
                               .newSessionId = record.newSessionId}));
    const auto history = MigrationAudit::records();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].id, record.id);
    EXPECT_EQ(history[0].newSessionId, record.newSessionId);
}

TEST_F(AccountMoveTest, RealSessionForksIntoAnEmptyAccount)
{
    const fs::path folder = projects() / realFolder;
    if (!copyRealSession(folder))
        GTEST_SKIP() << "no fixture transcripts";
    auto request = accountMove(MoveMode::fork, realFolder, realCwd);
    request.sessionId = realSession;
    const auto record = AccountMover::move(request, stamp);
    const auto original = TranscriptAnalyzer::analyze(readFile(folder / (std::string(realSession) + ".jsonl")));
    const fs::path copy = targetFolder(realFolder) / (*record.newSessionId + ".jsonl");
    const auto forked = TranscriptAnalyzer::analyze(readFile(copy));
    EXPECT_EQ(forked.lines, original.lines);
    EXPECT_EQ(forked.invalidLines, 0);
    EXPECT_EQ(forked.unansweredAtTail, original.unansweredAtTail);
    EXPECT_EQ(forked.unansweredInMiddle, original.unansweredInMiddle);
    EXPECT_EQ(record.message, "Fork to claude-work: 3 files, Full.");
    const auto valuesIn = [](const std::string& id, const fs::path& at) {
        const auto files = IdentityRewriter::identityFiles(SessionCopier::layout(id, at).allFiles);
        return IdentityRewriter::identityValues(files);
    };
    const auto copied = valuesIn(*record.newSessionId, targetFolder(realFolder));
    const auto source = valuesIn(realSession, folder);
    EXPECT_GT(copied.size(), 1000u);
    EXPECT_TRUE(std::none_of(copied.begin(), copied.end(), [&](const auto& value) { return source.contains(value); }));
}

} // namespace
} // namespace threadhop
