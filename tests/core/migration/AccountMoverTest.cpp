#include "core/migration/SessionCopier.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "support/MigrationTest.h"

#include <unistd.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

TEST(AccountMoveTypesTest, ErrorAndScopeTexts)
{
    const std::pair<AccountMoveError, const char*> errors[] = {
        {AccountMoveError::collision("/t/p"), "The destination account already holds this conversation: /t/p"},
        {AccountMoveError::brokenTranscript(2),
         "The transcript has 2 tool calls that were never answered, with "
         "content after them. Trim to the last complete exchange first."},
        {AccountMoveError::verificationFailed("x"), "Verification failed after the move: x"},
        {AccountMoveError::sameAccount(),
         "Source and destination are the same account. Use Migrate to change the working directory instead."},
        {AccountMoveError::noCwdRecorded(),
         "This transcript records no working directory, so the destination folder "
         "cannot be computed. The conversation cannot be moved."},
        {AccountMoveError::trimNeedsFork(),
         "A trimmed copy must be a fork — a shortened transcript keeping the "
         "original's id would make two different files claim to be the same "
         "conversation."},
    };
    for (const auto& [error, text] : errors)
        EXPECT_STREQ(error.what(), text);
    EXPECT_EQ(TranscriptScope::full().label(), "Full");
    EXPECT_EQ(TranscriptScope::trimmed(1).label(), "Last 1 messages");
    EXPECT_EQ(TranscriptScope::trimmed(250).label(), "Last 250 messages");
}

// The plain cases (a context scaled by the kept lines, a quarter of the bytes) are in the previews below.
TEST(AccountMoveTypesTest, ResumeEstimateEdges)
{
    using Trim = TranscriptTrimmer::Result;
    AccountMovePreview preview{.totalBytes = 10'000'000, .trim = Trim{.keptLines = 1000, .keptBytes = 400'003}};
    preview.integrity.lines = 1000;
    preview.integrity.lastContextTokens = 120000;
    EXPECT_EQ(preview.estimatedResumeTokens(), 120000); // a trim that drops nothing
    preview.integrity.lastContextTokens = std::nullopt;
    EXPECT_EQ(preview.estimatedResumeTokens(), 100'000); // a quarter of the kept bytes
    // A saturated context size stays within range.
    preview.integrity.lines = 1'000'001;
    preview.integrity.lastContextTokens = INT64_MAX;
    preview.trim = Trim{.keptLines = 1'000'000, .droppedLines = 1};
    EXPECT_GT(preview.estimatedResumeTokens(), INT64_MAX / 2);
}

class AccountMoverPreviewTest : public testing::MigrationTest {
protected:
    fs::path transcriptFile() const { return projects() / "-w-app" / (std::string(sessionId) + ".jsonl"); }

    template <typename Error = AccountMoveError>
    static std::string refusal(const AccountMoveInput& request)
    {
        return testing::thrown<Error>([&] { AccountMover::preview(request); });
    }
};

TEST_F(AccountMoverPreviewTest, RefusalsComeInOrder)
{
    // The same folder spelled twice: refused before anything is read (nothing exists here).
    auto same = accountMove(MoveMode::fork);
    same.source.configDir = (home() / "acc").string();
    same.target.configDir = (home() / "acc" / "").string();
    same.launchCwd = "";
    EXPECT_EQ(refusal(same), AccountMoveError::sameAccount().what());

    writeFile(transcriptFile(),
              R"({"cwd":"/w/app","uuid":"u"})"
              "\n");
    auto noCwd = accountMove(MoveMode::fork);
    noCwd.launchCwd = "";
    EXPECT_EQ(refusal(noCwd), AccountMoveError::noCwdRecorded().what());

    // A name the history file could not hold is refused before anything is read.
    auto latin1 = accountMove(MoveMode::fork);
    latin1.newCwd = "/w/caf\xE9";
    EXPECT_EQ(refusal(latin1),
              "The name /w/caf\uFFFD is not valid UTF-8 text, which the history file cannot hold. "
              "The conversation cannot be moved.");

    auto missing = accountMove(MoveMode::fork);
    missing.sessionId = "other";
    EXPECT_EQ(refusal<SessionCopier::CopyError>(missing),
              "Transcript not found: " + (projects() / "-w-app" / "other.jsonl").string());
}

TEST_F(AccountMoverPreviewTest, ReportsFilesTargetIntegrityScanAndLiveness)
{
    const std::string text = R"({"type":"user","cwd":"/w/app","uuid":"a","message":{"usage":{"input_tokens":100}}})"
                             "\n"
                             R"({"type":"assistant","uuid":"b","message":{"content":[{"type":"tool_use","id":"t1"}]}})"
                             "\n"
                             R"({"type":"user","cwd":"/w/app/sub","uuid":"c"})"
                             "\n";
    writeFile(transcriptFile(), text);
    const fs::path side = projects() / "-w-app" / sessionId / "subagents";
    for (const char* agent : {"agent-1", "agent-2"}) {
        writeFile(side / (std::string(agent) + ".jsonl"), "{}\n");
        writeFile(side / (std::string(agent) + ".meta.json"), "{}");
    }
    writeFile(home() / ".claude" / "sessions" / "1.json",
              "{\"pid\":" + std::to_string(getpid()) + ",\"sessionId\":\"" + std::string(sessionId) + "\"}");

    const auto preview = AccountMover::preview(accountMove(MoveMode::fork));
    EXPECT_EQ(preview.sourceFolder, "-w-app");
    EXPECT_EQ(preview.targetFolder, "-w-app");
    EXPECT_EQ(preview.targetPath, (targetProjects() / "-w-app").string());
    EXPECT_EQ(preview.fileCount, 5);
    EXPECT_EQ(preview.subagentCount, 2);
    EXPECT_EQ(preview.totalBytes, static_cast<std::int64_t>(text.size()) + 3 + 2 + 3 + 2);
    EXPECT_EQ(preview.integrity, TranscriptAnalyzer::analyze(text));
    EXPECT_EQ(preview.cwdScan, JSONLRewriter::scan(projects() / "-w-app", "/w/app"));
    EXPECT_EQ(preview.cwdScan.byClass.at(CwdClass::sessionCwd), 2);
    EXPECT_EQ(preview.trim, std::nullopt);
    ASSERT_TRUE(preview.sourceIsLive);
    EXPECT_EQ(preview.sourceIsLive->pid, getpid());
    EXPECT_EQ(preview.estimatedResumeTokens(), 100);
    EXPECT_FALSE(fs::exists(home() / ".claude-work")); // nothing is created

    auto trimmed = accountMove(MoveMode::fork);
    trimmed.scope = TranscriptScope::trimmed(1);
    const auto trimPreview = AccountMover::preview(trimmed);
    ASSERT_TRUE(trimPreview.trim);
    EXPECT_EQ(trimPreview.trim, TranscriptTrimmer::trim(text, 1).result);
    EXPECT_EQ(trimPreview.estimatedResumeTokens(), 33); // 100 tokens × 1 of 3 lines
}

TEST_F(AccountMoverPreviewTest, CollisionOnlyForACloneAndTargetFolderFromTheNewDirectory)
{
    writeFile(transcriptFile(),
              R"({"cwd":"/w/app"})"
              "\n");
    writeFile(targetProjects() / "-w-app" / (std::string(sessionId) + ".jsonl"), "{}\n");
    EXPECT_FALSE(AccountMover::preview(accountMove(MoveMode::fork)).collision);
    EXPECT_TRUE(AccountMover::preview(accountMove(MoveMode::clone)).collision);

    auto moved = accountMove(MoveMode::clone);
    moved.newCwd = "/new/place.d";
    EXPECT_EQ(AccountMover::preview(moved).targetFolder, "-new-place-d");
    EXPECT_FALSE(AccountMover::preview(moved).collision);
    moved.newCwd = ""; // counts as none
    EXPECT_EQ(AccountMover::preview(moved).targetFolder, "-w-app");
    EXPECT_EQ(AccountMover::targetFolder(moved), targetProjects() / "-w-app");
}

TEST_F(AccountMoverPreviewTest, UnreadableTranscriptGivesAnEmptyAnalysis)
{
    fs::create_directories(transcriptFile()); // something is there, but nothing can be read
    auto trimmed = accountMove(MoveMode::fork);
    trimmed.scope = TranscriptScope::trimmed(10);
    const auto preview = AccountMover::preview(trimmed);
    EXPECT_EQ(preview.integrity, TranscriptIntegrity{});
    EXPECT_EQ(preview.trim, std::nullopt);
    EXPECT_EQ(preview.estimatedResumeTokens(), preview.totalBytes / 4);
}

} // namespace
} // namespace threadhop
