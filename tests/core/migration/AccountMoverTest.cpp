#include "core/migration/AccountMover.h"

#include "core/encoding/CwdCodec.h"
#include "core/migration/SessionCopier.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "support/TempHome.h"

#include <unistd.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

constexpr std::string_view sessionId = "5e55105e-0000-4000-8000-000000000001";

TEST(AccountMoveTypesTest, MoveModeAndScopeTexts)
{
    EXPECT_EQ(toString(MoveMode::clone), "clone");
    EXPECT_EQ(toString(MoveMode::fork), "fork");
    EXPECT_EQ(fromString<MoveMode>("fork"), MoveMode::fork);
    EXPECT_EQ(fromString<MoveMode>("Fork"), std::nullopt);

    EXPECT_EQ(TranscriptScope::full().label(), "Full");
    EXPECT_EQ(TranscriptScope::trimmed(1).label(), "Last 1 messages");
    EXPECT_EQ(TranscriptScope::trimmed(250).label(), "Last 250 messages");
    EXPECT_EQ(TranscriptScope(), TranscriptScope::full());
    EXPECT_EQ(TranscriptScope::trimmed(5), TranscriptScope::trimmed(5));
    EXPECT_NE(TranscriptScope::trimmed(5), TranscriptScope::trimmed(6));
    EXPECT_NE(TranscriptScope::trimmed(0), TranscriptScope::full());
}

TEST(AccountMoveTypesTest, ErrorTexts)
{
    EXPECT_STREQ(AccountMoveError::collision("/t/p").what(), "The destination account already holds this conversation: /t/p");
    EXPECT_EQ(AccountMoveError::collision("/t/p").text(), "/t/p");
    const auto broken = AccountMoveError::brokenTranscript(2);
    EXPECT_STREQ(broken.what(), "The transcript has 2 tool calls that were never answered, with content after them. "
                                "Trim to the last complete exchange first.");
    EXPECT_EQ(broken.kind(), AccountMoveError::Kind::brokenTranscript);
    EXPECT_EQ(broken.count(), 2);
    EXPECT_STREQ(AccountMoveError::verificationFailed("x").what(), "Verification failed after the move: x");
    EXPECT_STREQ(AccountMoveError::sameAccount().what(),
                 "Source and destination are the same account. Use Migrate to change the working directory instead.");
    EXPECT_STREQ(AccountMoveError::noCwdRecorded().what(),
                 "This transcript records no working directory, so the destination folder cannot be computed. "
                 "The conversation cannot be moved.");
    EXPECT_STREQ(AccountMoveError::trimNeedsFork().what(),
                 "A trimmed copy must be a fork — a shortened transcript keeping the original's id would make two "
                 "different files claim to be the same conversation.");
}

TEST(AccountMoveTypesTest, ResumeEstimate)
{
    AccountMovePreview preview;
    preview.integrity.lines = 1000;
    preview.integrity.lastContextTokens = 120000;
    EXPECT_EQ(preview.estimatedResumeTokens(), 120000);
    preview.trim = TranscriptTrimmer::Result{.keptLines = 250, .droppedLines = 750, .keptBytes = 400000};
    EXPECT_EQ(preview.estimatedResumeTokens(), 30000);
    preview.trim = TranscriptTrimmer::Result{.keptLines = 1000, .droppedLines = 0, .keptBytes = 400000};
    EXPECT_EQ(preview.estimatedResumeTokens(), 120000); // a trim that drops nothing
    preview.integrity.lines = 3;
    preview.integrity.lastContextTokens = 100;
    preview.trim = TranscriptTrimmer::Result{.keptLines = 2, .droppedLines = 1};
    EXPECT_EQ(preview.estimatedResumeTokens(), 66); // truncated toward zero

    // Without usage data: bytes / 4, of the kept part when trimmed.
    preview.integrity.lastContextTokens = std::nullopt;
    preview.totalBytes = 10'000'000;
    preview.trim = std::nullopt;
    EXPECT_EQ(preview.estimatedResumeTokens(), 2'500'000);
    preview.trim = TranscriptTrimmer::Result{.keptLines = 2, .droppedLines = 1, .keptBytes = 400'003};
    EXPECT_EQ(preview.estimatedResumeTokens(), 100'000);

    // A saturated context size stays within range.
    preview.integrity.lines = 1'000'001;
    preview.integrity.lastContextTokens = INT64_MAX;
    preview.trim = TranscriptTrimmer::Result{.keptLines = 1'000'000, .droppedLines = 1};
    EXPECT_GT(preview.estimatedResumeTokens(), INT64_MAX / 2);
}

class AccountMoverPreviewTest : public testing::HomeTest {
protected:
    ClaudeAccount source{.id = "claude"};
    ClaudeAccount target{.id = "work", .configDir = (home() / ".claude-work").string()};

    fs::path sourceFolder() const { return home() / ".claude" / "projects" / "-w-app"; }
    fs::path transcript() const { return sourceFolder() / (std::string(sessionId) + ".jsonl"); }

    AccountMoveInput input(MoveMode mode = MoveMode::fork) const
    {
        return {.source = source, .target = target, .sessionId = std::string(sessionId),
                .sourceFolderName = "-w-app", .launchCwd = "/w/app", .mode = mode};
    }

    template <typename Error>
    static std::string refusal(const AccountMoveInput& request)
    {
        try {
            AccountMover::preview(request);
        } catch (const Error& error) {
            return error.what();
        }
        ADD_FAILURE() << "no refusal";
        return {};
    }
};

TEST_F(AccountMoverPreviewTest, RefusalsComeInOrder)
{
    // The same folder spelled twice: refused before anything is read (nothing exists here).
    auto same = input();
    same.source.configDir = (home() / "acc").string();
    same.target.configDir = (home() / "acc" / "").string();
    same.launchCwd = "";
    EXPECT_EQ(refusal<AccountMoveError>(same), AccountMoveError::sameAccount().what());

    writeFile(transcript(), R"({"cwd":"/w/app","uuid":"u"})" "\n");
    auto noCwd = input();
    noCwd.launchCwd = "";
    EXPECT_EQ(refusal<AccountMoveError>(noCwd), AccountMoveError::noCwdRecorded().what());

    // A name the history file could not hold is refused before anything is read.
    auto latin1 = input();
    latin1.newCwd = "/w/caf\xE9";
    EXPECT_EQ(refusal<AccountMoveError>(latin1), "The name /w/caf\uFFFD is not valid UTF-8 text, which the history file "
                                                 "cannot hold. The conversation cannot be moved.");

    auto missing = input();
    missing.sessionId = "other";
    EXPECT_EQ(refusal<SessionCopier::CopyError>(missing), "Transcript not found: " + (sourceFolder() / "other.jsonl").string());
}

TEST_F(AccountMoverPreviewTest, ReportsFilesTargetIntegrityScanAndLiveness)
{
    const std::string text = R"({"type":"user","cwd":"/w/app","uuid":"a","message":{"usage":{"input_tokens":100}}})" "\n"
                             R"({"type":"assistant","uuid":"b","message":{"content":[{"type":"tool_use","id":"t1"}]}})" "\n"
                             R"({"type":"user","cwd":"/w/app/sub","uuid":"c"})" "\n";
    writeFile(transcript(), text);
    const fs::path side = sourceFolder() / sessionId / "subagents";
    writeFile(side / "agent-1.jsonl", "{}\n");
    writeFile(side / "agent-1.meta.json", "{}");
    writeFile(side / "agent-2.jsonl", "{}\n");
    writeFile(side / "agent-2.meta.json", "{}");
    writeFile(home() / ".claude" / "sessions" / "1.json",
              "{\"pid\":" + std::to_string(getpid()) + ",\"sessionId\":\"" + std::string(sessionId) + "\"}");

    const auto preview = AccountMover::preview(input());
    EXPECT_EQ(preview.sourceFolder, "-w-app");
    EXPECT_EQ(preview.targetFolder, "-w-app");
    EXPECT_EQ(preview.targetPath, (home() / ".claude-work" / "projects" / "-w-app").string());
    EXPECT_EQ(preview.fileCount, 5);
    EXPECT_EQ(preview.subagentCount, 2);
    EXPECT_EQ(preview.totalBytes, static_cast<std::int64_t>(text.size()) + 3 + 2 + 3 + 2);
    EXPECT_EQ(preview.integrity, TranscriptAnalyzer::analyze(text));
    EXPECT_EQ(preview.cwdScan, JSONLRewriter::scan(sourceFolder(), "/w/app"));
    EXPECT_EQ(preview.cwdScan.byClass.at(CwdClass::sessionCwd), 2);
    EXPECT_EQ(preview.trim, std::nullopt);
    ASSERT_TRUE(preview.sourceIsLive);
    EXPECT_EQ(preview.sourceIsLive->pid, getpid());
    EXPECT_EQ(preview.estimatedResumeTokens(), 100);
    EXPECT_FALSE(fs::exists(home() / ".claude-work")); // nothing is created

    auto trimmed = input();
    trimmed.scope = TranscriptScope::trimmed(1);
    const auto trimPreview = AccountMover::preview(trimmed);
    ASSERT_TRUE(trimPreview.trim);
    EXPECT_EQ(trimPreview.trim, TranscriptTrimmer::trim(text, 1).result);
    EXPECT_EQ(trimPreview.estimatedResumeTokens(), 33); // 100 tokens × 1 of 3 lines
}

TEST_F(AccountMoverPreviewTest, CollisionOnlyForACloneAndTargetFolderFromTheNewDirectory)
{
    writeFile(transcript(), R"({"cwd":"/w/app"})" "\n");
    writeFile(home() / ".claude-work" / "projects" / "-w-app" / (std::string(sessionId) + ".jsonl"), "{}\n");
    EXPECT_FALSE(AccountMover::preview(input(MoveMode::fork)).collision);
    EXPECT_TRUE(AccountMover::preview(input(MoveMode::clone)).collision);

    auto moved = input(MoveMode::clone);
    moved.newCwd = "/new/place.d";
    EXPECT_EQ(AccountMover::preview(moved).targetFolder, "-new-place-d");
    EXPECT_FALSE(AccountMover::preview(moved).collision);
    moved.newCwd = ""; // counts as none
    EXPECT_EQ(AccountMover::preview(moved).targetFolder, "-w-app");
    EXPECT_EQ(AccountMover::targetFolder(moved), home() / ".claude-work" / "projects" / "-w-app");
}

TEST_F(AccountMoverPreviewTest, UnreadableTranscriptGivesAnEmptyAnalysis)
{
    fs::create_directories(transcript()); // something is there, but nothing can be read
    auto trimmed = input();
    trimmed.scope = TranscriptScope::trimmed(10);
    const auto preview = AccountMover::preview(trimmed);
    EXPECT_EQ(preview.integrity, TranscriptIntegrity{});
    EXPECT_EQ(preview.trim, std::nullopt);
    EXPECT_EQ(preview.estimatedResumeTokens(), preview.totalBytes / 4);
}

TEST_F(AccountMoverPreviewTest, ALineThatIsNotUtf8IsOneInvalidLine)
{
    const std::string text = "{\"cwd\":\"/w/app\"}\n{\"cwd\":\"/w/app\",\"t\":\"caf\xE9\"}\n";
    writeFile(transcript(), text);
    const auto preview = AccountMover::preview(input());
    EXPECT_EQ(preview.integrity.lines, 2);
    EXPECT_EQ(preview.integrity.invalidLines, 1);
    EXPECT_EQ(preview.integrity.launchCwd, "/w/app");
}

} // namespace
} // namespace threadhop
