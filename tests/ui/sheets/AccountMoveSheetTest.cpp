// What the account-move sheet decides and says (destinations, the engine's input, when the move
// may start, the cost, the warnings and the report), and the sheet itself over the test's engine.
#include "ui/sheets/AccountMoveSheet.h"
#include "support/ui/FakeDiscovery.h"
#include "theme/Theme.h"
#include "ui/jobs/JobPool.h"
#include "ui/sheets/AccountMovePreviewPresenter.h"
#include "ui/sheets/AccountMoveSheetPresenter.h"
#include "ui/widgets/SymbolLabel.h"

#include "core/accountmove/AccountMover.h"

#include <QComboBox>
#include <QPalette>
#include <QPointer>
#include <QThreadPool>

namespace threadhop::testing {
namespace {

namespace Presenter = AccountMoveSheetPresenter;
namespace Preview = AccountMovePreviewPresenter;

// Started as claude with its folder named, which the resume command must then spell out.
const ClaudeAccount work{.id = "work", .label = "work", .alias = "work", .configDir = "/h/it's work"};

class AccountMoveSheetPresenterTest : public HomeTest {
protected:
    const ClaudeAccount source = account("claude");
    const ProjectFolder project{.id = "claude:-a-b", .accountId = "claude", .folderName = "-a-b"};
    const SessionInfo session{.id = "5e55105e-0000-4000-8000-000000000001", .userMessageCount = 1};
};

TEST_F(AccountMoveSheetPresenterTest, CandidatesLeaveOutExactlyTheAccountsTheEngineRefusesAsTheSource)
{
    const std::string claude = (home() / ".claude").string();
    const std::vector<ClaudeAccount> accounts{
        account("work", claude + "-work"), source,
        account("slash", claude + "/"),    account("dots", (home() / "x" / ".." / ".claude").string()),
        account("twice", claude + "//"),   account("other", claude + "-work/../.claude-other")};
    const auto candidates = Presenter::candidates(accounts, source);
    EXPECT_EQ(candidates, (std::vector{accounts[0], accounts[5]}));

    for (const auto& candidate : accounts) {
        const bool offered = std::ranges::find(candidates, candidate) != candidates.end();
        bool refused = false;
        try {
            AccountMover::preview({.source = source, .target = candidate, .sessionId = "s", .launchCwd = "/a/b"});
        } catch (const AccountMoveError& error) {
            refused = error.kind() == AccountMoveError::Kind::sameAccount;
        } catch (const std::exception&) {
        }
        EXPECT_NE(offered, refused) << candidate.id;
    }
    EXPECT_EQ(Presenter::target(accounts, "slash"), accounts[2]);
    EXPECT_EQ(Presenter::target(candidates, "slash"), std::nullopt);
    EXPECT_EQ(Presenter::target(candidates, ""), std::nullopt);
}

TEST_F(AccountMoveSheetPresenterTest, TheEngineIsAlwaysAskedForTheSameDirectoryWithoutRewritingHistory)
{
    EXPECT_EQ(Presenter::makeInput(source, std::nullopt, project, session, "/a/b", {}), std::nullopt);
    EXPECT_EQ(Presenter::makeInput(source, work, project, session, "/a/b", {}),
              (AccountMoveInput{.source = source,
                                .target = work,
                                .sessionId = session.id,
                                .sourceFolderName = "-a-b",
                                .launchCwd = "/a/b",
                                .newCwd = std::nullopt,
                                .mode = MoveMode::fork,
                                .scope = TranscriptScope::full(),
                                .rewriteHistory = false}));
    const auto trimmed = Presenter::makeInput(source, work, project, session, "/a/b", {MoveMode::clone, true, 200});
    EXPECT_EQ(std::tie(trimmed->scope, trimmed->mode), std::tuple(TranscriptScope::trimmed(200), MoveMode::clone));
}

TEST_F(AccountMoveSheetPresenterTest, CanMoveFailsAtEachOfItsFiveSteps)
{
    const AccountMovePreview sound;
    const AccountMovePreview collision{.collision = true};
    const AccountMovePreview unanswered{.integrity = {.unansweredInMiddle = {"toolu_1"}}};
    const AccountMovePreview atTheEnd{.integrity = {.unansweredAtTail = {"toolu_2"}}};
    // a target, preview, a preview error, trim → may move
    const std::tuple<bool, std::optional<AccountMovePreview>, bool, bool, bool> cases[]{
        {true, sound, false, false, true},     {true, atTheEnd, false, false, true},
        {false, sound, false, false, false},   {true, std::nullopt, false, false, false},
        {true, sound, true, false, false},     {true, collision, false, false, false},
        {true, collision, false, true, false}, {true, unanswered, false, false, false},
        {true, unanswered, false, true, true},
    };
    int row = 0;
    for (const auto& [target, preview, error, trim, expected] : cases) {
        EXPECT_EQ(Presenter::canMove(target ? std::optional(work) : std::nullopt, preview,
                                     error ? std::optional(u"The transcript is gone."_s) : std::nullopt, trim),
                  expected)
            << "row " << row++;
    }
}

TEST_F(AccountMoveSheetPresenterTest, AccountTextsSayWhoIsSignedIn)
{
    ClaudeAccount signedIn = account("claude-work", "/w");
    signedIn.identity = AccountIdentity{.emailAddress = "ana@example.com"};
    const ClaudeAccount nobody = account("claude-x", "/x");
    EXPECT_EQ(Presenter::pickerText(signedIn), u"claude-work — ana@example.com"_s);
    const QPalette palette;
    EXPECT_EQ(Presenter::accountLabel(signedIn, palette),
              (Presenter::AccountLabel{u"claude-work"_s, u"— ana@example.com"_s, Theme::secondaryText(palette)}));
    EXPECT_EQ(Presenter::accountLabel(nobody, palette),
              (Presenter::AccountLabel{u"claude-x"_s, u"— not signed in"_s, Theme::warn()}));

    EXPECT_EQ(Presenter::sessionText(session), u"5e55105e… · 1 messages"_s) << "the plural stays";
}

TEST_F(AccountMoveSheetPresenterTest, TheReportResumesTheCopyByItsOwnIdInTheTargetAccount)
{
    const MigrationRecord fork{.newCwd = "/a/it's b",
                               .backupPath = "/backups/-a-b-20240101-120000.tar.gz",
                               .message = "Fork to work: 3 files, Full.",
                               .newSessionId = "0a0a0a0a-1111-4222-8333-444444444444"};
    EXPECT_EQ(
        Presenter::report(fork, &work, session),
        (Presenter::Report{u"Fork to work: 3 files, Full."_s, u"New session id: 0a0a0a0a-1111-4222-8333-444444444444"_s,
                           u"cd '/a/it'\\''s b' && CLAUDE_CONFIG_DIR='/h/it'\\''s work' claude --resume "
                           u"0a0a0a0a-1111-4222-8333-444444444444"_s,
                           u"Backup: /backups/-a-b-20240101-120000.tar.gz"_s}));

    const MigrationRecord clone{.newCwd = "/a/b", .message = "Clone to work: 3 files, Full."};
    EXPECT_EQ(
        Presenter::report(clone, nullptr, session),
        (Presenter::Report{u"Clone to work: 3 files, Full."_s, std::nullopt,
                           u"cd '/a/b' && claude --resume 5e55105e-0000-4000-8000-000000000001"_s, std::nullopt}));
    EXPECT_EQ(Presenter::report({}, &work, session).message, QString());
}

AccountMovePreview quiet()
{
    return {.fileCount = 5,
            .subagentCount = 2,
            .totalBytes = 10'000'000,
            .integrity = {.launchCwd = "/a/b", .recordedCwds = {"/a/b", "/a/b/sub"}}};
}

TEST(AccountMovePreviewPresenterTest, TheCostIsMeasuredWhenTheTranscriptSaysAndEstimatedFromItsSizeOtherwise)
{
    AccountMovePreview measured = quiet();
    measured.integrity.lastContextTokens = 120'000;
    const Preview::Cost withUsage = Preview::cost(measured, work);
    EXPECT_EQ(withUsage.estimate, u"Resuming re-sends about **120k tokens** on work"_s);
    EXPECT_EQ(withUsage.basis, u"Measured from the conversation's own last context size."_s);
    const Preview::Cost withoutUsage = Preview::cost(quiet(), std::nullopt);
    EXPECT_EQ(withoutUsage.estimate, u"Resuming re-sends about **2.5M tokens** on the destination"_s);
    EXPECT_EQ(withoutUsage.basis, u"Estimated from file size — this transcript records no usage data."_s);
}

TEST(AccountMovePreviewPresenterTest, EachWarningAppearsForItsOwnConditionAndAlwaysInTheSameOrder)
{
    const QPalette palette;
    const QColor secondary = Theme::secondaryText(palette);
    const ClaudeAccount source = account("claude");
    const Preview::Warning files{1, Symbol::docOnDoc,
                                 u"5 files — 1 transcript + 2 subagent transcripts and their sidecars"_s};
    const Preview::Warning behind{
        7, Symbol::trayAndArrowDown,
        u"Staying behind in claude: file-history, todos, plans and shell snapshots. Undo history does not travel."_s,
        secondary};
    EXPECT_EQ(Preview::warnings(quiet(), source, palette), (std::vector{files, behind}));

    // Each condition alone adds its one warning between the two that are always there.
    const std::pair<std::function<void(AccountMovePreview&)>, Preview::Warning> alone[]{
        {[](auto& preview) { preview.sourceIsLive = LiveSession{.pid = 4242, .sessionId = "s"}; },
         {2, Symbol::boltHorizontalCircleFill,
          u"This session is running right now (pid 4242). You are copying a snapshot; from here the two diverge."_s,
          Theme::warn()}},
        {[](auto& preview) {
             preview.integrity.recordedCwds = {"/a/b", "/a/bc", "/a/b/sub", "/tmp/elsewhere"};
         },
         {3, Symbol::arrowTriangleBranch,
          u"2 recorded working directories lie outside this project and are never rewritten."_s, secondary,
          u"/a/bc\n/tmp/elsewhere"_s}},
        {[](auto& preview) { preview.integrity.unansweredAtTail = {"toolu_9"}; },
         {4, Symbol::hourglass,
          u"A tool call is in flight at the end of the transcript — normal for a live session, and not a problem."_s,
          secondary}},
        {[](auto& preview) {
             preview.integrity.unansweredInMiddle = {"toolu_1", "toolu_2"};
         },
         {5, Symbol::exclamationmarkTriangleFill,
          u"2 tool calls were never answered and have content after them. Trim to a complete exchange first."_s,
          Theme::broken()}},
        {[](auto& preview) { preview.collision = true; },
         {6, Symbol::exclamationmarkOctagonFill, u"The destination already holds this conversation."_s,
          Theme::broken()}},
    };
    AccountMovePreview everything = quiet();
    std::vector all{files};
    for (const auto& [condition, warning] : alone) {
        AccountMovePreview preview = quiet();
        condition(preview);
        condition(everything);
        EXPECT_EQ(Preview::warnings(preview, source, palette), (std::vector{files, warning, behind}));
        all.push_back(warning);
    }
    all.push_back(behind);
    EXPECT_EQ(Preview::warnings(everything, source, palette), all);

    everything.integrity.launchCwd.reset();
    std::erase_if(all, [](const Preview::Warning& warning) { return warning.number == 3; });
    EXPECT_EQ(Preview::warnings(everything, source, palette), all) << "without a launch directory nothing drifted";
}

// Each destination's previews wait at that destination's gate, then name it or fail as the test
// says; moves wait at their own gate and fail.
struct FakeEngine {
    std::mutex mutex;
    std::map<std::string, DiscoveryGate> gates;
    bool closing = false; ///< every gate is open, those of destinations still to come too
    std::map<std::string, std::string> errors;
    std::atomic<int> started = 0;
    std::atomic<int> finished = 0;
    DiscoveryGate moveGate;

    DiscoveryGate& gate(const std::string& target)
    {
        std::lock_guard lock(mutex);
        DiscoveryGate& found = gates[target];
        if (closing)
            found.openForAll();
        return found;
    }

    // A preview for a destination no test expected then fails its test instead of holding it to its time-out.
    void openEveryGate()
    {
        std::lock_guard lock(mutex);
        closing = true;
        for (auto& [target, gate] : gates)
            gate.openForAll();
        moveGate.openForAll();
    }
};

class AccountMoveSheetTest : public HomeTest {
protected:
    std::shared_ptr<FakeEngine> fake = std::make_shared<FakeEngine>();
    FakeDiscovery discovery;
    AppEnvironment env{discovery.discovery()};
    const int savedThreads = JobPool::shared().maxThreadCount();
    QWidget host;
    QPointer<AccountMoveSheet> sheet;

    AccountMoveSheetTest()
    {
        // Several previews wait at once, more than a small machine has threads for.
        JobPool::shared().setMaxThreadCount(8);
        discovery.gate->openForAll();
        *discovery.accountsByCall = {
            {account("claude", "/claude"), account("a", "/a"), account("b", "/b"), account("c", "/c")}};
        rescan(env);
        host.show();
        AccountMoveEngine engine{.preview =
                                     [fake = fake](const AccountMoveInput& input) {
                                         ++fake->started;
                                         fake->gate(input.target.id).enter();
                                         ++fake->finished;
                                         if (fake->errors.contains(input.target.id))
                                             throw std::runtime_error(fake->errors.at(input.target.id));
                                         return AccountMovePreview{.targetFolder = input.target.id};
                                     },
                                 .move = [fake = fake](const AccountMoveInput&, const std::string&) -> MigrationRecord {
                                     fake->moveGate.enter();
                                     throw std::runtime_error("No space left on device");
                                 }};
        sheet = new AccountMoveSheet(env, env.accounts().front(), {.folderName = "-a-b"}, {.id = "abc"}, "/a/b",
                                     std::move(engine), &host);
        sheet->open();
    }

    ~AccountMoveSheetTest() override
    {
        fake->openEveryGate();
        JobPool::shared().waitForDone();
        JobPool::shared().setMaxThreadCount(savedThreads);
    }

    std::string shownTarget() { return sheet->preview() ? sheet->preview()->targetFolder : "(none)"; }

    // Lets the n-th preview finish and every finished one reach the sheet.
    void finish(const std::string& target, int ticket, int previews)
    {
        if (HasFatalFailure())
            return; // a preview that never came: waiting for the next ones would only delay the failure
        fake->gate(target).release(ticket);
        // Once its thread is idle again, a finished job has posted its outcome.
        ASSERT_TRUE(waitUntil([&] {
            return fake->finished == previews && JobPool::shared().activeThreadCount() == fake->started - previews;
        }));
        QCoreApplication::processEvents();
    }

    QPushButton& button(const QString& name) { return testing::button(*sheet, name); }
    QComboBox& picker() { return *child<QComboBox>(*sheet, u"destinationPicker"_s); }
    bool shows(const QString& name) { return has(*sheet, name); }
};

TEST_F(AccountMoveSheetTest, OnlyTheOutcomeForTheDestinationChosenLastIsShown)
{
    EXPECT_EQ(sheet->targetId(), "a") << "the first other account is picked on appearance";
    ASSERT_EQ(picker().count(), 3);
    EXPECT_EQ(picker().itemText(0), u"a — not signed in"_s);
    picker().setCurrentIndex(1);
    picker().setCurrentIndex(2);
    finish("c", 1, 1);
    finish("b", 1, 2);
    finish("a", 1, 3);
    EXPECT_EQ(shownTarget(), "c") << "earlier destinations that finished later are dropped";
    EXPECT_TRUE(shows(u"costSection"_s) && shows(u"warning7"_s));
    EXPECT_TRUE(button(u"primaryButton"_s).isEnabled());

    // An error for a destination no longer chosen never shows; one for the chosen one replaces the preview.
    fake->errors["b"] = "The transcript is gone.";
    picker().setCurrentIndex(1);
    picker().setCurrentIndex(0);
    finish("b", 2, 4);
    // Until the chosen destination's own preview is in, nothing of another one shows or can be acted on.
    EXPECT_EQ(std::tuple(shownTarget(), sheet->previewError(), shows(u"readingProgress"_s), shows(u"costSection"_s),
                         button(u"primaryButton"_s).isEnabled()),
              std::tuple("(none)", std::optional<QString>(), true, false, false));
    finish("a", 2, 5);
    EXPECT_EQ(shownTarget(), "a");
    EXPECT_TRUE(button(u"primaryButton"_s).isEnabled());

    picker().setCurrentIndex(1);
    finish("b", 3, 6);
    EXPECT_EQ(shownTarget(), "(none)");
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"previewErrorLabel"_s)->text(), u"The transcript is gone."_s);
    EXPECT_FALSE(shows(u"costSection"_s) || shows(u"warnings"_s)) << "only the error shows";
    EXPECT_FALSE(button(u"primaryButton"_s).isEnabled());
}

TEST_F(AccountMoveSheetTest, TheDestinationsFollowARescan)
{
    finish("a", 1, 1);
    fake->errors["b"] = "The transcript is gone.";
    picker().setCurrentIndex(1);
    finish("b", 1, 2);
    ASSERT_TRUE(shows(u"previewErrorLabel"_s));
    *discovery.accountsByCall = {{account("claude", "/claude"), account("a", "/a")}};
    rescan(env);
    ASSERT_EQ(picker().count(), 1);
    EXPECT_EQ(picker().currentIndex(), -1) << "the chosen destination is gone";
    EXPECT_TRUE(shows(u"readingProgress"_s)) << "nothing read for an account that is gone stays";
    EXPECT_FALSE(button(u"primaryButton"_s).isEnabled());
}

TEST_F(AccountMoveSheetTest, NothingCanBeChosenOnceTheMoveStartsAndCloseRescansAfterAFailure)
{
    finish("a", 1, 1);
    button(u"primaryButton"_s).click();
    EXPECT_TRUE(shows(u"movingProgress"_s));
    EXPECT_FALSE(picker().isEnabled());
    // The footer of both sheets: nothing to press while the engine works.
    for (const auto& name : {u"cancelButton"_s, u"primaryButton"_s, u"closeButton"_s, u"revealBackupButton"_s})
        EXPECT_FALSE(button(name).isVisible()) << name.toStdString();
    fake->moveGate.openForAll();
    ASSERT_TRUE(waitUntil([&] { return std::holds_alternative<SheetPhases::Failed>(sheet->phase()); }));
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"failureLabel"_s)->text(), u"No space left on device"_s);
    EXPECT_FALSE(picker().isEnabled());
    EXPECT_FALSE(button(u"revealBackupButton"_s).isVisible());
    button(u"closeButton"_s).click();
    EXPECT_TRUE(env.isScanning()) << "Close rescans";
    EXPECT_TRUE(waitUntil([&] { return sheet.isNull(); }));
}

} // namespace
} // namespace threadhop::testing
