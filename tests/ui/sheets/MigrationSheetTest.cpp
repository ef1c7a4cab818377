#include "ui/widgets/CommandBlock.h"
#include "ui/sheets/MigrationSheet.h"
#include "ui/sheets/MigrationSheetPresenter.h"
#include "ui/widgets/SymbolLabel.h"
#include "ui/widgets/WrappingText.h"
#include "theme/Theme.h"
#include "support/ui/DiscoveryGate.h"
#include "support/ui/UiTest.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;
using testing::waitUntil;

// What the test's engine answers and what it was asked; each call waits at its gate.
struct FakeEngine {
    testing::DiscoveryGate previewGate;
    testing::DiscoveryGate runGate;
    MigrationPreview preview;
    std::atomic<int> previews = 0;
    std::atomic<int> dryRuns = 0;
    std::vector<std::string> stamps;
};

// The migration sheet on its own, over the test's engine.
class MigrationSheetTest : public testing::HomeTest {
protected:
    std::shared_ptr<FakeEngine> fake = std::make_shared<FakeEngine>();
    const ClaudeAccount account{.id = "claude", .label = "claude (default)"};
    const ProjectFolder project{.id = "claude:-a-old", .accountId = "claude", .folderName = "-a-old"};
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
        QThreadPool::globalInstance()->waitForDone();
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
                    ++fake->dryRuns;
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

    MigrationSheet* open(std::optional<ClaudeAccount> owner)
    {
        auto* sheet = new MigrationSheet(
            std::move(owner), project, oldCwd, (home() / "new").string(), engine(), [this] { ++rescans; }, &host);
        sheet->open();
        return sheet;
    }

    static bool has(QWidget& sheet, const QString& name) { return sheet.findChild<QWidget*>(name) != nullptr; }
    static QPushButton& primary(QWidget& sheet) { return *child<QPushButton>(sheet, u"primaryButton"_s); }
};

TEST_F(MigrationSheetTest, BeforeThePreviewArrivesTheButtonWorksButReturnNeverPressesIt)
{
    QPointer<MigrationSheet> sheet = open(account);
    EXPECT_EQ(child<QLabel>(*sheet, u"sheetTitle"_s)->text(), u"Migrate conversations"_s);
    EXPECT_EQ(child<QLabel>(*sheet, u"sheetTitle"_s)->font().weight(), QFont::DemiBold);
    EXPECT_EQ(sheet->minimumSize(), QSize(600, 480));
    EXPECT_EQ(sheet->size(), QSize(620, 520));
    for (const auto* button : sheet->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->text().toStdString();
        EXPECT_TRUE(button->toolTip().isEmpty() && button->shortcut().isEmpty()) << button->text().toStdString();
    }
    for (const auto& name : {u"previewProgress"_s, u"rewriteNote"_s, u"dryRunToggle"_s, u"backupNote"_s})
        EXPECT_TRUE(has(*sheet, name)) << name.toStdString();
    EXPECT_TRUE(primary(*sheet).isEnabled());
    EXPECT_EQ(primary(*sheet).text(), u"Migrate"_s);
    auto* toggle = child<QCheckBox>(*sheet, u"dryRunToggle"_s);
    toggle->setChecked(true);
    EXPECT_EQ(primary(*sheet).text(), u"Run dry run"_s);
    toggle->setChecked(false);
    EXPECT_EQ(primary(*sheet).text(), u"Migrate"_s);

    primary(*sheet).setFocus();
    QTest::keyClick(&primary(*sheet), Qt::Key_Return);
    QTest::keyClick(sheet, Qt::Key_Enter);
    QCoreApplication::processEvents();
    EXPECT_TRUE(std::holds_alternative<SheetPhases::Idle>(sheet->phase()));
    EXPECT_TRUE(fake->stamps.empty());

    const auto before = MigrationSheetPresenter::stamp(std::chrono::system_clock::now());
    primary(*sheet).click();
    const auto after = MigrationSheetPresenter::stamp(std::chrono::system_clock::now());
    EXPECT_TRUE(std::holds_alternative<SheetPhases::Running>(sheet->phase()));
    EXPECT_TRUE(has(*sheet, u"runningProgress"_s));
    fake->runGate.openForAll();
    ASSERT_TRUE(waitUntil([&] { return std::holds_alternative<SheetPhases::Done>(sheet->phase()); }));
    ASSERT_EQ(fake->stamps.size(), 1u);
    EXPECT_TRUE(fake->stamps[0] == before || fake->stamps[0] == after) << fake->stamps[0];

    fake->previewGate.openForAll();
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); })) << "a late preview is kept";
    EXPECT_FALSE(has(*sheet, u"previewCounts"_s)) << "but only an idle sheet shows it";
    EXPECT_EQ(fake->previews, 1);
}

TEST_F(MigrationSheetTest, ThePreviewSaysWhatHappensToAPopulatedDestinationUnlessItIsBlocked)
{
    fake->previewGate.openForAll();
    fake->preview = {.oldFolder = "-a-old",
        .newFolder = "-a-new",
        .destinationPopulated = true,
        .incomingConversations = 1,
        .destinationConversations = 2};
    QPointer<MigrationSheet> sheet = open(account);
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); }));
    EXPECT_EQ(primary(*sheet).text(), u"Move in"_s);
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"populatedHeadline"_s)->text(),
        u"That project already has 2 conversations; 1 conversation will join them."_s);
    EXPECT_EQ(child<QLabel>(*sheet, u"populatedExplanation"_s)->text(),
        u"They sit side by side in the same project — nothing is combined, and the conversations already there are "
        u"not changed. Both folders are archived before the first file moves."_s);
    EXPECT_EQ(child<QLabel>(*sheet, u"populatedCommandIntro"_s)->text(), u"What is already there:"_s);
    EXPECT_EQ(child<CommandBlock>(*sheet, u"commandBlock"_s)->command(),
        u"cd '"_s + QString::fromStdString((home() / "new").string()) + u"' && claude --resume"_s);

    fake->preview.blockedReason = "The old or new path is empty.";
    sheet = open(account);
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); }));
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"blockedReason"_s)->text(), u"The old or new path is empty."_s);
    EXPECT_FALSE(has(*sheet, u"populatedNotice"_s)) << "a blocked preview never shows the populated notice";
    EXPECT_FALSE(primary(*sheet).isEnabled());
    child<QCheckBox>(*sheet, u"dryRunToggle"_s)->setChecked(true);
    EXPECT_FALSE(primary(*sheet).isEnabled()) << "not even for a dry run";
}

TEST_F(MigrationSheetTest, WithoutAnAccountNothingIsPreviewedOrRun)
{
    QPointer<MigrationSheet> sheet = open(std::nullopt);
    QCoreApplication::processEvents();
    EXPECT_EQ(child<WrappingText>(*sheet, u"accountValue"_s)->text(), u"claude"_s);
    EXPECT_TRUE(has(*sheet, u"previewProgress"_s));
    EXPECT_FALSE(primary(*sheet).isEnabled());
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(fake->previews, 0);
}

TEST_F(MigrationSheetTest, EscapeAndTheCloseButtonDoWhatTheFooterDoes)
{
    fake->previewGate.openForAll();
    QPointer<MigrationSheet> idle = open(account);
    QTest::keyClick(idle, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return idle.isNull(); })) << "Escape cancels an idle sheet";
    EXPECT_EQ(rescans, 0);

    QPointer<MigrationSheet> sheet = open(account);
    child<QCheckBox>(*sheet, u"dryRunToggle"_s)->setChecked(true);
    primary(*sheet).click();
    for (const auto& name : {u"cancelButton"_s, u"primaryButton"_s, u"closeButton"_s, u"revealBackupButton"_s})
        EXPECT_FALSE(child<QPushButton>(*sheet, name)->isVisible()) << name.toStdString();
    QTest::keyClick(sheet, Qt::Key_Escape);
    sheet->close();
    QCoreApplication::processEvents();
    ASSERT_FALSE(sheet.isNull());
    EXPECT_TRUE(sheet->isVisible()) << "nothing closes a running sheet";

    fake->runGate.openForAll();
    ASSERT_TRUE(waitUntil([&] { return std::holds_alternative<SheetPhases::Done>(sheet->phase()); }));
    EXPECT_EQ(fake->dryRuns, 1);
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"reportTitle"_s)->text(), u"Dry run complete"_s);
    EXPECT_FALSE(has(*sheet, u"resumeIntro"_s)) << "a dry run moved nothing to resume";
    EXPECT_FALSE(child<QPushButton>(*sheet, u"revealBackupButton"_s)->isVisible()) << "a dry run has no backup";
    EXPECT_TRUE(child<QPushButton>(*sheet, u"closeButton"_s)->isVisible());
    sheet->close();
    ASSERT_TRUE(waitUntil([&] { return sheet.isNull(); }));
    EXPECT_EQ(rescans, 1) << "after a run, closing rescans";
}

TEST_F(MigrationSheetTest, TheFromPathIsRedWheneverNoFolderIsThereAsItIsDrawn)
{
    QPointer<MigrationSheet> sheet = open(account);
    auto* from = child<WrappingText>(*sheet, u"fromValue"_s);
    from->grab();
    EXPECT_EQ(from->color(), sheet->palette().color(QPalette::WindowText));
    std::filesystem::remove(oldCwd);
    testing::writeFile(oldCwd, "a file, not a folder");
    from->grab();
    EXPECT_EQ(from->color(), Theme::broken());
    EXPECT_EQ(child<WrappingText>(*sheet, u"toValue"_s)->color(), Theme::ok());
}

} // namespace
} // namespace threadhop
