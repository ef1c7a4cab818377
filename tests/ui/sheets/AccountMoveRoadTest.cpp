// The account-move road: real transcripts, the real engine, and an account beside the default one
// that discovery alone would never return.
#include "support/ui/TranscriptWindowTest.h"
#include "ui/sheets/AccountMoveSheet.h"
#include "ui/widgets/SymbolLabel.h"
#include "ui/widgets/WrappingText.h"

#include "core/accountmove/SessionCopier.h"
#include "core/discovery/AccountScanner.h"
#include "core/validation/TranscriptAnalyzer.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>

namespace threadhop::testing {
namespace {

class AccountMoveRoadTest : public TranscriptWindowTest {
protected:
    // Accounts beside the default one; shared with the scans, which run on their own threads.
    std::shared_ptr<std::vector<ClaudeAccount>> extras = std::make_shared<std::vector<ClaudeAccount>>();

    void SetUp() override
    {
        for (const std::string id : {"claude-work", "claude-zeta"})
            extras->push_back(account(id, (home() / ("." + id)).string()));
        TranscriptWindowTest::SetUp();
    }

    AppEnvironment::Discovery discovery() const override
    {
        return {.scanAccounts =
                    [extras = extras] {
                        auto found = AccountScanner::scan();
                        found.insert(found.end(), extras->begin(), extras->end());
                        return found;
                    },
                .indexProjects = AppEnvironment::Discovery::standard().indexProjects};
    }

    /// The sheet for a conversation of the project folder of `folderCwd`, started in `launchCwd`,
    /// once its first preview has arrived where there is a destination.
    AccountMoveSheet& openSheet(const std::string& folderCwd, const std::string& sessionId,
                                const std::string& launchCwd)
    {
        select(folderCwd);
        const ProjectFolder project = env->selectedProject().value();
        auto* sheet =
            new AccountMoveSheet(*env, env->accounts().front(), project, {.id = sessionId, .userMessageCount = 3},
                                 launchCwd, AccountMoveEngine::standard(), window.get());
        sheet->open();
        EXPECT_TRUE(env->accounts().size() < 2
                    || waitUntil([&] { return sheet->preview() || sheet->previewError(); }, 60'000));
        return *sheet;
    }
};

TEST_F(AccountMoveRoadTest, AForkCopiesTheConversationIntoTheFirstOtherAccountWithFreshIds)
{
    const fs::path source = fixture->folderOf(fixture->readyCwd);
    const std::string original = readFile(source / "short.jsonl");
    QPointer<AccountMoveSheet> sheet = &openSheet(fixture->readyCwd, "short", fixture->readyCwd);
    EXPECT_EQ(sheet->targetId(), "claude-work");
    EXPECT_TRUE(child<SymbolLabel>(*sheet, u"costEstimate"_s)->text().endsWith(u" tokens** on claude-work"_s));
    button(*sheet, u"primaryButton"_s).click();
    ASSERT_TRUE(waitUntil([&] { return stageOf(sheet->phase()) == SheetStage::finished; }, 60'000));
    ASSERT_TRUE(std::holds_alternative<SheetPhases::Done>(sheet->phase()))
        << child<SymbolLabel>(*sheet, u"failureLabel"_s)->text().toStdString();

    const MigrationRecord record = onlyRecord();
    EXPECT_EQ(record.targetAccountId, "claude-work");
    ASSERT_TRUE(record.newSessionId);
    const QString newId = QString::fromStdString(*record.newSessionId);
    const fs::path target = home() / ".claude-work" / "projects" / CwdCodec::encode(fixture->readyCwd);
    const std::string copy = readFile(target / (*record.newSessionId + ".jsonl"));
    EXPECT_EQ(copy.find("55604662-cf2a-4331-851a-ec234028f8ca"), std::string::npos) << "the original's id is gone";
    EXPECT_EQ(readFile(source / "short.jsonl"), original);
    for (const fs::path& folder : {source, target})
        EXPECT_TRUE(fs::is_regular_file(folder / "THREADHOP-MOVES.md")) << folder;

    EXPECT_EQ(child<QLabel>(*sheet, u"reportMessage"_s)->text(), QString::fromStdString(*record.message));
    EXPECT_EQ(child<QLabel>(*sheet, u"newSessionIdText"_s)->text(), u"New session id: "_s + newId);
    EXPECT_EQ(child<WrappingText>(*sheet, u"resumeCommandText"_s)->text(),
              u"cd '"_s + QString::fromStdString(fixture->readyCwd) + u"' && claude-work --resume "_s + newId);
    EXPECT_EQ(child<QLabel>(*sheet, u"movesNote"_s)->text(),
              u"A note was written to THREADHOP-MOVES.md in both project folders."_s);
    EXPECT_EQ(button(*sheet, u"revealBackupButton"_s).text(), u"Show backup in folder"_s);
    EXPECT_TRUE(button(*sheet, u"revealBackupButton"_s).isVisible());

    button(*sheet, u"closeButton"_s).click();
    ASSERT_TRUE(waitUntil([&] { return sheet.isNull() && !env->isScanning(); }));
}

TEST_F(AccountMoveRoadTest, WithOnlyTheDefaultAccountThereIsNowhereToMoveTo)
{
    extras->clear();
    rescan(*env);
    AccountMoveSheet& sheet = openSheet(fixture->readyCwd, "short", fixture->readyCwd);
    EXPECT_EQ(child<QComboBox>(sheet, u"destinationPicker"_s)->count(), 0);
    EXPECT_EQ(std::tuple(button(sheet, u"primaryButton"_s).text(), button(sheet, u"primaryButton"_s).isEnabled()),
              std::tuple(u"Fork"_s, false));
}

TEST_F(AccountMoveRoadTest, ToolCallsLeftUnansweredBeforeTheEndBlockTheFork)
{
    const fs::path transcript = fixture->folderOf(fixture->oldAppCwd) / "tool_heavy.jsonl";
    std::string text = readFile(transcript);
    const auto result = text.find("\"tool_result\"");
    const auto lineStart = text.rfind('\n', result) + 1;
    text.erase(lineStart, text.find('\n', result) + 1 - lineStart);
    writeFile(transcript, text);
    const auto unanswered = TranscriptAnalyzer::analyze(text).unansweredInMiddle.size();
    ASSERT_GE(unanswered, 1u);

    AccountMoveSheet& sheet = openSheet(fixture->oldAppCwd, "tool_heavy", fixture->renamedAppCwd);
    EXPECT_EQ(
        child<SymbolLabel>(sheet, u"warning5"_s)->text(),
        QString::number(unanswered)
            + u" tool calls were never answered and have content after them. Trim to a complete exchange first."_s);
    EXPECT_FALSE(button(sheet, u"primaryButton"_s).isEnabled());
}

TEST_F(AccountMoveRoadTest, ATranscriptDeletedBeforeTheSheetOpensShowsTheCopiersError)
{
    const fs::path folder = fixture->folderOf(fixture->readyCwd);
    fs::remove(folder / "short.jsonl");
    AccountMoveSheet& sheet = openSheet(fixture->readyCwd, "short", fixture->readyCwd);
    EXPECT_EQ(child<SymbolLabel>(sheet, u"previewErrorLabel"_s)->text(),
              QString::fromUtf8(SessionCopier::CopyError::transcriptMissing((folder / "short.jsonl").string()).what()));
    EXPECT_FALSE(button(sheet, u"primaryButton"_s).isEnabled());
}

} // namespace
} // namespace threadhop::testing
