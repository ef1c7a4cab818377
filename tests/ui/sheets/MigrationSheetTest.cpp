#include "ui/sheets/MigrationSheet.h"
#include "support/ui/DiscoveryGate.h"
#include "support/ui/UiTest.h"
#include "theme/PlatformWords.h"
#include "theme/Theme.h"
#include "ui/jobs/JobPool.h"
#include "ui/sheets/MigrationSheetPresenter.h"
#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/SymbolLabel.h"
#include "ui/widgets/WrappingText.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QThreadPool>

#include <ctime>

namespace threadhop::testing {
namespace {

namespace Presenter = MigrationSheetPresenter;

MigrationPreview preview(bool populated, std::int64_t incoming, std::optional<std::int64_t> there = std::nullopt,
                         std::string oldFolder = "-a-old", std::string newFolder = "-a-new")
{
    return {.oldFolder = std::move(oldFolder),
            .newFolder = std::move(newFolder),
            .filesToRewrite = 3,
            .totalOccurrences = 1234,
            .destinationPopulated = populated,
            .incomingConversations = incoming,
            .destinationConversations = there};
}

TEST(MigrationSheetPresenterTest, ActionLinePopulatedHeadlineAndCounts)
{
    const std::pair<MigrationPreview, QString> cases[]{
        {preview(false, 4, std::nullopt, "-a-same", "-a-same"),
         u"No folder moves. Only the recorded working directory is rewritten."_s},
        {preview(false, 4), u"The folder -a-old is renamed to -a-new."_s},
        {preview(true, 1, 2),
         u"1 conversation move out of -a-old into -a-new, which stays where it is. "
         u"-a-old is removed once it is empty."_s},
        {preview(true, 2, 2),
         u"2 conversations move out of -a-old into -a-new, which stays where it is. "
         u"-a-old is removed once it is empty."_s},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(Presenter::actionLine(input), expected);

    // An absent destination count is none.
    const std::pair<MigrationPreview, QString> headlines[]{
        {preview(true, 1, 1), u"That project already has 1 conversation; 1 conversation will join them."_s},
        {preview(true, 0, 2), u"That project already has 2 conversations; 0 conversations will join them."_s},
        {preview(true, 2, std::nullopt),
         u"That project already has 0 conversations; 2 conversations will join them."_s},
    };
    for (const auto& [input, expected] : headlines)
        EXPECT_EQ(Presenter::populatedHeadline(input), expected);
    // The engine counts the recorded directory's references also when it stays as it is; only a
    // rename or a merge then changes no transcript, while a resync or a refusal shows the counts.
    auto blocked = preview(false, 1);
    blocked.blockedReason = "Conversation folder does not exist: /p/-a-old";
    const QString counts = u"3 files · 1234 references to rewrite"_s;
    EXPECT_EQ((QStringList{Presenter::previewCountsLine(preview(false, 1), false),
                           Presenter::previewCountsLine(preview(false, 1), true),
                           Presenter::previewCountsLine(preview(true, 1, 1), true),
                           Presenter::previewCountsLine(preview(false, 1, std::nullopt, "-a-same", "-a-same"), true),
                           Presenter::previewCountsLine(blocked, true)}),
              (QStringList{counts, u"Only the folder is renamed: no transcript changes."_s,
                           u"No transcript changes: the conversations only move."_s, counts, counts}));
}

TEST(MigrationSheetPresenterTest, PrimaryButtonTitleAndWhetherItCanBePressed)
{
    auto blocked = preview(true, 1, 1);
    blocked.blockedReason = "The old or new path is empty.";
    // dry run, preview, account present → title, enabled
    const std::tuple<bool, std::optional<MigrationPreview>, bool, QString, bool> cases[]{
        {false, std::nullopt, true, u"Migrate"_s, true},
        {true, std::nullopt, true, u"Run dry run"_s, true},
        {false, preview(false, 1), true, u"Migrate"_s, true},
        {false, preview(true, 1, 1), true, u"Move in"_s, true},
        {true, preview(true, 1, 1), true, u"Run dry run"_s, true},
        {false, blocked, true, u"Move in"_s, false},
        {false, std::nullopt, false, u"Migrate"_s, false},
    };
    for (const auto& [dryRun, input, hasAccount, title, enabled] : cases) {
        EXPECT_EQ(Presenter::migrateButtonTitle(dryRun, input), title);
        EXPECT_EQ(Presenter::primaryEnabled(hasAccount, input), enabled) << title.toStdString();
    }
}

TEST(MigrationSheetPresenterTest, Report)
{
    MigrationRecord record{
        .oldCwd = "/a/old", .newCwd = "/a/new", .filesRewritten = 2, .occurrencesReplaced = 17, .dryRun = true};
    EXPECT_EQ(Presenter::reportTitle(record), (Presenter::ReportTitle{Symbol::checkmarkCircle, u"Dry run complete"_s}));
    EXPECT_EQ(Presenter::backupLine(record), std::nullopt);
    record.dryRun = false;
    EXPECT_EQ(Presenter::reportTitle(record),
              (Presenter::ReportTitle{Symbol::checkmarkSealFill, u"Migration successful"_s}));
    EXPECT_EQ(Presenter::reportCountsLine(record), u"2 files · 17 references."_s);
    // Kept its directory: a rename or a merge says what happened instead; a resync and a dry run
    // (which renamed nothing) keep the counts.
    record.oldCwd = record.newCwd;
    record.oldFolder = record.newFolder = "-a-new";
    EXPECT_EQ(Presenter::reportCountsLine(record), u"2 files · 17 references."_s);
    record.oldFolder = "-a-old";
    EXPECT_EQ(Presenter::reportCountsLine(record), u"Only the folder was renamed: no transcript changed."_s);
    record.dryRun = true;
    EXPECT_EQ(Presenter::reportCountsLine(record), u"2 files · 17 references."_s);
    record.dryRun = false;
    record.movedEntryNames = std::vector<std::string>{"a.jsonl"};
    EXPECT_EQ(Presenter::reportCountsLine(record), u"No transcript changed: the conversations only moved."_s);
}

TEST(MigrationSheetPresenterTest, StampIsTheLocalTimeToTheSecond)
{
    std::tm local{.tm_sec = 5, .tm_min = 4, .tm_hour = 3, .tm_mday = 2, .tm_mon = 0, .tm_year = 125, .tm_isdst = -1};
    const auto moment = std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(999);
    EXPECT_EQ(Presenter::stamp(moment), "20250102-030405");
}

#ifndef __APPLE__
TEST(PlatformWordsTest, MacNamesBecomeThisPlatformsWordsAndNothingElseChanges)
{
    const std::pair<QString, QString> cases[]{
        {u"Finder"_s, u"Open Folder"_s},
        {u"started in a directory macOS creates to throw away"_s,
         u"started in a directory the system creates to throw away"_s},
        {u"Migrate conversations"_s, u"Migrate conversations"_s},
    };
    for (const auto& [mac, here] : cases)
        EXPECT_EQ(PlatformWords::say(mac), here);
}
#endif

// What the test's engine answers and what it was asked; each call waits at its gate.
struct FakeEngine {
    DiscoveryGate previewGate;
    DiscoveryGate runGate;
    MigrationPreview preview;
    std::atomic<int> previews = 0;
    std::vector<std::string> stamps;
};

// The migration sheet on its own, over the test's engine.
class MigrationSheetTest : public HomeTest {
protected:
    std::shared_ptr<FakeEngine> fake = std::make_shared<FakeEngine>();
    const std::string oldCwd = (home() / "old").string();
    int rescans = 0;
    QWidget host;

    MigrationSheetTest()
    {
        std::filesystem::create_directories(oldCwd);
        host.show();
    }

    ~MigrationSheetTest() override
    {
        fake->previewGate.openForAll();
        fake->runGate.openForAll();
        JobPool::shared().waitForDone();
    }

    MigrationEngine engine() const
    {
        return {.preview =
                    [fake = fake](const ConversationMigrator::Input&) {
                        ++fake->previews;
                        fake->previewGate.enter();
                        return fake->preview;
                    },
                .dryRun =
                    [fake = fake](const ConversationMigrator::Input&) {
                        fake->runGate.enter();
                        return MigrationRecord{.dryRun = true, .success = true};
                    },
                .migrate =
                    [fake = fake](const ConversationMigrator::Input&, const std::string& stamp) {
                        fake->stamps.push_back(stamp);
                        fake->runGate.enter();
                        return MigrationRecord{.backupPath = "/b/-a-old.tar.gz", .success = true};
                    }};
    }

    MigrationSheet* open(std::optional<ClaudeAccount> owner = ClaudeAccount{.id = "claude"})
    {
        auto* sheet = new MigrationSheet(
            std::move(owner), {.id = "claude:-a-old", .accountId = "claude", .folderName = "-a-old"}, oldCwd,
            (home() / "new").string(), engine(), [this] { ++rescans; }, &host);
        sheet->open();
        return sheet;
    }

    static QPushButton& primary(QWidget& sheet) { return button(sheet, u"primaryButton"_s); }
};

TEST_F(MigrationSheetTest, TheEngineInputAlwaysMergesAndNeverRewritesHistory)
{
    const ProjectFolder project{.id = "w:-a-old", .accountId = "w", .folderName = "-a-old"};
    EXPECT_EQ(Presenter::makeInput(std::nullopt, project, "/a/old", "/a/new"), std::nullopt);

    const ClaudeAccount work{.id = "w", .label = "Work", .configDir = "/srv/claude-work"};
    EXPECT_EQ(Presenter::makeInput(work, project, "/a/old", "/a/new"),
              (ConversationMigrator::Input{.accountId = "w",
                                           .projectsRoot = "/srv/claude-work/projects",
                                           .oldFolderName = "-a-old",
                                           .oldCwd = "/a/old",
                                           .newCwd = "/a/new",
                                           .rewriteHistory = false,
                                           .allowPopulatedDestination = true}));
    EXPECT_EQ(Presenter::makeInput(ClaudeAccount{.id = "claude"}, project, "/a/old", "/a/new")->projectsRoot,
              home() / ".claude" / "projects");
}

TEST_F(MigrationSheetTest, BeforeThePreviewArrivesTheButtonWorksButReturnNeverPressesIt)
{
    QPointer<MigrationSheet> sheet = open();
    EXPECT_EQ(child<QLabel>(*sheet, u"sheetTitle"_s)->text(), u"Migrate conversations"_s);
    for (const auto* button : sheet->findChildren<QPushButton*>())
        EXPECT_TRUE(button->shortcut().isEmpty()) << "no key presses a footer button: " << button->text().toStdString();
    EXPECT_TRUE(has(*sheet, u"previewProgress"_s));
    EXPECT_TRUE(primary(*sheet).isEnabled());

    primary(*sheet).setFocus();
    QTest::keyClick(&primary(*sheet), Qt::Key_Return);
    QTest::keyClick(sheet, Qt::Key_Enter);
    QCoreApplication::processEvents();
    EXPECT_TRUE(std::holds_alternative<SheetPhases::Idle>(sheet->phase()));
    EXPECT_TRUE(fake->stamps.empty());

    const auto before = MigrationSheetPresenter::stamp(std::chrono::system_clock::now());
    primary(*sheet).click();
    const auto after = MigrationSheetPresenter::stamp(std::chrono::system_clock::now());
    EXPECT_TRUE(shows(*sheet, u"runningProgress"_s));
    fake->runGate.openForAll();
    ASSERT_TRUE(waitUntil([&] { return std::holds_alternative<SheetPhases::Done>(sheet->phase()); }));
    ASSERT_EQ(fake->stamps.size(), 1u) << "a migration, not a dry run";
    EXPECT_TRUE(fake->stamps[0] == before || fake->stamps[0] == after) << fake->stamps[0];

    fake->previewGate.openForAll();
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); })) << "a late preview is kept";
    EXPECT_FALSE(has(*sheet, u"previewCounts"_s)) << "but only an idle sheet shows it";
    EXPECT_EQ(fake->previews, 1);
}

TEST_F(MigrationSheetTest, ThePreviewSaysWhatHappensToAPopulatedDestinationUnlessItIsBlocked)
{
    fake->previewGate.openForAll();
    fake->preview = preview(true, 1, 2);
    QPointer<MigrationSheet> sheet = open();
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); }));
    EXPECT_EQ(primary(*sheet).text(), u"Move in"_s);
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"populatedHeadline"_s)->text(),
              u"That project already has 2 conversations; 1 conversation will join them."_s);
    EXPECT_EQ(child<CommandBlock>(*sheet, u"commandBlock"_s)->command(),
              u"cd '"_s + QString::fromStdString((home() / "new").string()) + u"' && claude --resume"_s);

    fake->preview.blockedReason = "The old or new path is empty.";
    sheet = open();
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); }));
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"blockedReason"_s)->text(), u"The old or new path is empty."_s);
    EXPECT_FALSE(has(*sheet, u"populatedNotice"_s)) << "a blocked preview never shows the populated notice";
    EXPECT_FALSE(primary(*sheet).isEnabled());
    child<QCheckBox>(*sheet, u"dryRunToggle"_s)->setChecked(true);
    EXPECT_FALSE(primary(*sheet).isEnabled()) << "not even for a dry run";
}

TEST_F(MigrationSheetTest, WithoutAnAccountNothingIsPreviewedOrRun)
{
    fake->previewGate.openForAll(); // a preview asked for by mistake is counted, not waited for
    QPointer<MigrationSheet> sheet = open(std::nullopt);
    EXPECT_EQ(child<WrappingText>(*sheet, u"accountValue"_s)->text(), u"claude"_s) << "the project's account id";
    EXPECT_FALSE(primary(*sheet).isEnabled());
    JobPool::shared().waitForDone();
    EXPECT_EQ(fake->previews, 0);
}

TEST_F(MigrationSheetTest, EscapeAndTheCloseButtonDoWhatTheFooterDoes)
{
    fake->previewGate.openForAll();
    QPointer<MigrationSheet> idle = open();
    QTest::keyClick(idle, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return idle.isNull(); })) << "Escape cancels an idle sheet";
    EXPECT_EQ(rescans, 0);

    QPointer<MigrationSheet> sheet = open();
    child<QCheckBox>(*sheet, u"dryRunToggle"_s)->setChecked(true);
    EXPECT_EQ(primary(*sheet).text(), u"Run dry run"_s);
    primary(*sheet).click();
    QTest::keyClick(sheet, Qt::Key_Escape);
    sheet->close();
    QCoreApplication::processEvents();
    ASSERT_FALSE(sheet.isNull());
    EXPECT_TRUE(sheet->isVisible()) << "nothing closes a running sheet";

    fake->runGate.openForAll();
    ASSERT_TRUE(waitUntil([&] { return std::holds_alternative<SheetPhases::Done>(sheet->phase()); }));
    EXPECT_TRUE(fake->stamps.empty()) << "a dry run, not a migration";
    EXPECT_FALSE(has(*sheet, u"resumeIntro"_s)) << "a dry run moved nothing to resume";
    sheet->close();
    ASSERT_TRUE(waitUntil([&] { return sheet.isNull(); }));
    EXPECT_EQ(rescans, 1) << "after a run, closing rescans";
}

TEST_F(MigrationSheetTest, TheFromPathIsRedWheneverNoFolderIsThereAsItIsDrawn)
{
    QPointer<MigrationSheet> sheet = open();
    auto* from = child<WrappingText>(*sheet, u"fromValue"_s);
    from->grab();
    EXPECT_EQ(from->color(), sheet->palette().color(QPalette::WindowText));
    std::filesystem::remove(oldCwd);
    writeFile(oldCwd, "a file, not a folder");
    from->grab();
    EXPECT_EQ(from->color(), Theme::broken());
    EXPECT_EQ(child<WrappingText>(*sheet, u"toValue"_s)->color(), Theme::ok());
}

} // namespace
} // namespace threadhop::testing
