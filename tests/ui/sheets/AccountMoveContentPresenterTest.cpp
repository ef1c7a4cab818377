#include "ui/sheets/AccountMovePreviewPresenter.h"
#include "ui/sheets/AccountMoveReportPresenter.h"

#include "theme/Theme.h"
#include "support/ui/QtPrinters.h"

#include <QPalette>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
namespace Preview = AccountMovePreviewPresenter;

const ClaudeAccount source{.id = "claude", .label = "claude", .alias = "claude", .aliasIsSimple = true};
const ClaudeAccount work{.id = "work", .label = "work", .alias = "work", .configDir = "/h/it's work"};

AccountMovePreview quiet()
{
    AccountMovePreview preview;
    preview.fileCount = 5;
    preview.subagentCount = 2;
    preview.totalBytes = 10'000'000;
    preview.integrity.launchCwd = "/a/b";
    preview.integrity.recordedCwds = {"/a/b", "/a/b/sub"};
    return preview;
}

std::vector<int> numbers(const std::vector<Preview::Warning>& warnings)
{
    std::vector<int> result;
    for (const auto& warning : warnings)
        result.push_back(warning.number);
    return result;
}

TEST(AccountMoveContentPresenterTest, TheCostIsMeasuredWhenTheTranscriptSaysAndEstimatedFromItsSizeOtherwise)
{
    AccountMovePreview measured = quiet();
    measured.integrity.lastContextTokens = 120'000;
    const Preview::Cost withUsage = Preview::cost(measured, work);
    EXPECT_EQ(withUsage.estimate, u"Resuming re-sends about **120k tokens** on work"_s);
    EXPECT_EQ(withUsage.basis, u"Measured from the conversation's own last context size."_s);
    EXPECT_EQ(withUsage.cacheNote,
        u"The prompt cache does not cross accounts, so the context is charged again in full there. Nothing here is "
        u"capped: the choice is yours."_s);
    const Preview::Cost withoutUsage = Preview::cost(quiet(), std::nullopt);
    EXPECT_EQ(withoutUsage.estimate, u"Resuming re-sends about **2.5M tokens** on the destination"_s);
    EXPECT_EQ(withoutUsage.basis, u"Estimated from file size — this transcript records no usage data."_s);

    EXPECT_EQ(Preview::modeText(MoveMode::fork),
        u"Rewrites the identity chain, so the copy is a new conversation with the same content and no duplicate id "
        u"anywhere."_s);
    EXPECT_EQ(Preview::modeText(MoveMode::clone),
        u"Keeps the same session id. The conversation becomes resumable from both accounts — and the id then exists "
        u"twice, so any index keyed on it counts it twice."_s);
}

TEST(AccountMoveContentPresenterTest, EachWarningAppearsForItsOwnConditionAndAlwaysInTheSameOrder)
{
    const QPalette palette;
    const QColor secondary = Theme::secondaryText(palette);
    const auto always = Preview::warnings(quiet(), source, palette);
    ASSERT_EQ(numbers(always), (std::vector<int>{1, 7}));
    EXPECT_EQ(always[0],
        (Preview::Warning{1, Symbol::docOnDoc, u"5 files — 1 transcript + 2 subagent transcripts and their sidecars"_s,
            std::nullopt, {}}));
    EXPECT_EQ(always[1],
        (Preview::Warning{7, Symbol::trayAndArrowDown,
            u"Staying behind in claude: file-history, todos, plans and shell snapshots. Undo history "
            u"does not travel."_s,
            secondary, {}}));

    AccountMovePreview live = quiet();
    live.sourceIsLive = LiveSession{.pid = 4242, .sessionId = "s"};
    AccountMovePreview drifted = quiet();
    drifted.integrity.recordedCwds = {"/a/b", "/a/bc", "/a/b/sub", "/tmp/elsewhere"};
    AccountMovePreview inFlight = quiet();
    inFlight.integrity.unansweredAtTail = {"toolu_9"};
    AccountMovePreview unanswered = quiet();
    unanswered.integrity.unansweredInMiddle = {"toolu_1", "toolu_2"};
    AccountMovePreview collision = quiet();
    collision.collision = true;
    const std::pair<AccountMovePreview, Preview::Warning> alone[]{
        {live,
            {2, Symbol::boltHorizontalCircleFill,
                u"This session is running right now (pid 4242). You are copying a snapshot; from here the two "
                u"diverge."_s,
                Theme::warn(), {}}},
        {drifted,
            {3, Symbol::arrowTriangleBranch,
                u"2 recorded working directories lie outside this project and are never rewritten."_s, secondary,
                u"/a/bc\n/tmp/elsewhere"_s}},
        {inFlight,
            {4, Symbol::hourglass,
                u"A tool call is in flight at the end of the transcript — normal for a live session, and not a "
                u"problem."_s,
                secondary, {}}},
        {unanswered,
            {5, Symbol::exclamationmarkTriangleFill,
                u"2 tool calls were never answered and have content after them. Trim to a complete exchange "
                u"first."_s,
                Theme::broken(), {}}},
        {collision,
            {6, Symbol::exclamationmarkOctagonFill, u"The destination already holds this conversation."_s,
                Theme::broken(), {}}},
    };
    AccountMovePreview everything = quiet();
    for (const auto& [preview, warning] : alone) {
        const auto shown = Preview::warnings(preview, source, palette);
        ASSERT_EQ(numbers(shown), (std::vector<int>{1, warning.number, 7}));
        EXPECT_EQ(shown[1], warning);
    }
    everything.sourceIsLive = live.sourceIsLive;
    everything.integrity = drifted.integrity;
    everything.integrity.unansweredAtTail = inFlight.integrity.unansweredAtTail;
    everything.integrity.unansweredInMiddle = unanswered.integrity.unansweredInMiddle;
    everything.collision = true;
    EXPECT_EQ(numbers(Preview::warnings(everything, source, palette)), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));

    everything.integrity.launchCwd.reset();
    EXPECT_EQ(numbers(Preview::warnings(everything, source, palette)), (std::vector<int>{1, 2, 4, 5, 6, 7}))
        << "without a launch directory nothing counts as drifted";
}

TEST(AccountMoveContentPresenterTest, TheReportResumesTheCopyByItsOwnIdInTheTargetAccount)
{
    const SessionInfo session{.id = "5e55105e-0000-4000-8000-000000000001"};
    const MigrationRecord fork{.newCwd = "/a/it's b",
        .backupPath = "/backups/-a-b-20240101-120000.tar.gz",
        .message = "Fork to work: 3 files, Full.",
        .newSessionId = "0a0a0a0a-1111-4222-8333-444444444444"};
    EXPECT_EQ(AccountMoveReportPresenter::report(fork, &work, session),
        (AccountMoveReportPresenter::Report{u"Fork to work: 3 files, Full."_s,
            u"New session id: 0a0a0a0a-1111-4222-8333-444444444444"_s,
            u"cd '/a/it'\\''s b' && CLAUDE_CONFIG_DIR='/h/it'\\''s work' claude --resume "
            u"0a0a0a0a-1111-4222-8333-444444444444"_s,
            u"Backup: /backups/-a-b-20240101-120000.tar.gz"_s}));

    const MigrationRecord clone{.newCwd = "/a/b", .message = "Clone to work: 3 files, Full."};
    EXPECT_EQ(AccountMoveReportPresenter::report(clone, nullptr, session),
        (AccountMoveReportPresenter::Report{u"Clone to work: 3 files, Full."_s, std::nullopt,
            u"cd '/a/b' && claude --resume 5e55105e-0000-4000-8000-000000000001"_s, std::nullopt}));
    EXPECT_EQ(AccountMoveReportPresenter::report({}, &source, session).message, QString());
}

} // namespace
} // namespace threadhop
