// Renders the sessions section and the account-move sheet in each of its phases for a reviewer.
#include "ScreenshotTest.h"
#include "support/ui/DiscoveryGate.h"
#include "support/ui/TranscriptHome.h"
#include "ui/jobs/JobPool.h"
#include "ui/sessions/SessionRow.h"
#include "ui/sessions/SessionsSection.h"
#include "ui/sheets/AccountMoveSheet.h"

#include "core/discovery/AccountScanner.h"
#include "core/encoding/CwdCodec.h"
#include "ui/state/AppEnvironment.h"

#include <QPushButton>
#include <QThreadPool>
#include <QVBoxLayout>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using ScreenshotSessionsTest = testing::ScreenshotTest;
using testing::child;
using testing::waitUntil;

TEST_F(ScreenshotSessionsTest, SessionsSection)
{
    AppEnvironment env({.scanAccounts = [] { return std::vector<ClaudeAccount>{}; },
                        .indexProjects = [](const ClaudeAccount&) { return std::vector<ProjectFolder>{}; }});
    const auto now = std::chrono::system_clock::now();
    const std::vector<SessionInfo> sessions{
        {.id = "ae4a77f8-aedd-4bc1-888f-c94edc91af04",
         .lastModified = now - std::chrono::minutes(5),
         .userMessageCount = 42,
         .recentUserMessages = {"Run the tests again and fix what fails.",
                                "Here is the stack trace:\nline one\nline two\nline three\nline "
                                "four\nline five",
                                "A single long message that goes on and on about the layout of "
                                "the sessions section until it has to wrap onto more lines than "
                                "a block may show, so the block cuts it after the third line "
                                "and ends that line in an ellipsis, however much follows. "
                                "And this sentence is never seen."}},
        {.id = "5e55105e-0000-4000-8000-000000000001",
         .lastModified = now - std::chrono::hours(50),
         .userMessageCount = 1},
        {.id = "abc", .lastModified = now - std::chrono::days(400), .userMessageCount = 0}};
    for (const bool pathExists : {false, true}) {
        QWidget host;
        auto* layout = new QVBoxLayout(&host);
        auto* section =
            new SessionsSection(env, pathExists ? std::vector<SessionInfo>{} : sessions,
                                {.cwd = "/Users/ana/code/site", .alias = "claude", .pathExists = pathExists});
        layout->addWidget(section);
        layout->addStretch(1);
        for (SessionRow* row : section->rows())
            row->setExpanded(row != section->rows()[1]);
        host.resize(460, pathExists ? 120 : 560);
        host.show();
        save(host, pathExists ? "sessions-section-empty.png" : "sessions-section.png");
    }
}

TEST_F(ScreenshotSessionsTest, AccountMoveSheetInEachPhase)
{
    const auto fixture = testing::TranscriptHome::write(home());
    ClaudeAccount work{.id = "claude-work",
                       .label = "claude-work",
                       .alias = "claude-work",
                       .configDir = (home() / ".claude-work").string(),
                       .aliasIsSimple = true,
                       .identity = AccountIdentity{.emailAddress = "ana@work.example.com"}};
    ClaudeAccount zeta{.id = "claude-zeta",
                       .label = "claude-zeta",
                       .alias = "claude-zeta",
                       .configDir = (home() / ".claude-zeta").string()};
    AppEnvironment env({.scanAccounts =
                            [work, zeta] {
                                auto accounts = AccountScanner::scan();
                                accounts.insert(accounts.end(), {work, zeta});
                                return accounts;
                            },
                        .indexProjects = AppEnvironment::Discovery::standard().indexProjects});
    env.scan();
    ASSERT_TRUE(waitUntil([&] { return !env.isScanning(); }));

    // The first preview and the first move wait at gates so that their phases can be seen; the
    // first move then fails. The preview of the "live" session reports every warning.
    auto previewGate = std::make_shared<testing::DiscoveryGate>();
    auto moveGate = std::make_shared<testing::DiscoveryGate>();
    auto engine = AccountMoveEngine::standard();
    engine.preview = [previewGate, standard = engine.preview](const AccountMoveInput& input) {
        previewGate->enter();
        auto preview = standard(input);
        if (input.sessionId == "live") {
            preview.sourceIsLive = LiveSession{.pid = 4242, .sessionId = "live"};
            preview.collision = true;
            preview.integrity.recordedCwds.push_back("/tmp/elsewhere");
            preview.integrity.unansweredAtTail = {"toolu_9"};
            preview.integrity.unansweredInMiddle = {"toolu_1", "toolu_2"};
        }
        return preview;
    };
    engine.move = [moveGate, standard = engine.move](const AccountMoveInput& input, const std::string& stamp) {
        if (moveGate->enter() == 1)
            throw AccountMoveError::verificationFailed("4 of 5 files reached the destination");
        return standard(input, stamp);
    };
    const std::string folder = CwdCodec::encode(fixture.movedCwd);
    const ProjectFolder project = *std::find_if(env.projects("claude").begin(), env.projects("claude").end(),
                                                [&](const ProjectFolder& each) { return each.folderName == folder; });
    QWidget host;
    host.show();
    const auto open = [&](const std::string& sessionId) {
        auto* sheet = new AccountMoveSheet(env, env.accounts().front(), project,
                                           {.id = sessionId, .userMessageCount = 57}, fixture.movedCwd, engine, &host);
        sheet->open();
        return sheet;
    };
    const auto waitForPreview = [](AccountMoveSheet* sheet) {
        EXPECT_TRUE(waitUntil([&] { return sheet->preview() || sheet->previewError(); }, 60'000));
    };
    const std::string large = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";

    AccountMoveSheet* sheet = open(large);
    save(*sheet, "account-move-reading.png");
    previewGate->openForAll();
    waitForPreview(sheet);
    save(*sheet, "account-move-preview.png");
    child<QPushButton>(*sheet, u"primaryButton"_s)->click();
    save(*sheet, "account-move-running.png");
    moveGate->openForAll();
    ASSERT_TRUE(waitUntil([&] { return stageOf(sheet->phase()) == SheetStage::finished; }, 60'000));
    save(*sheet, "account-move-failed.png");
    sheet->reject();

    testing::writeFile(fixture.folderOf(fixture.movedCwd) / "live.jsonl",
                       testing::readFile(fixture.folderOf(fixture.movedCwd) / (large + ".jsonl")));
    sheet = open("live");
    waitForPreview(sheet);
    save(*sheet, "account-move-warnings.png");
    sheet->reject();

    sheet = open("gone");
    waitForPreview(sheet);
    save(*sheet, "account-move-preview-error.png");
    sheet->reject();

    sheet = open(large);
    waitForPreview(sheet);
    child<QPushButton>(*sheet, u"primaryButton"_s)->click();
    ASSERT_TRUE(waitUntil([&] { return stageOf(sheet->phase()) == SheetStage::finished; }, 60'000));
    save(*sheet, "account-move-done.png");
    sheet->reject();
    ASSERT_TRUE(waitUntil([&] { return !env.isScanning(); }));
    JobPool::shared().waitForDone();
}

} // namespace
} // namespace threadhop
