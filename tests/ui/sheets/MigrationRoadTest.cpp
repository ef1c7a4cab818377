// The main road through the window: a broken project, the migration sheet, the real engine on real
// transcripts, and the rescan that shows the repaired project.
#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/SymbolLabel.h"
#include "theme/Theme.h"
#include "support/ui/DiscoveryGate.h"
#include "support/ui/TranscriptWindowTest.h"

#include "core/migration/JSONLRewriter.h"
#include "core/migration/MigrationAudit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;
using testing::waitUntil;
namespace fs = std::filesystem;

class MigrationRoadTest : public testing::TranscriptWindowTest {
protected:
    /// Opens the sheet for the project whose directory moved to its one suggestion, and waits for
    /// its preview.
    MigrationSheet& openSheetForTheMovedProject()
    {
        select(fixture->movedCwd);
        find<QPushButton>(u"migrateButton"_s)->click();
        EXPECT_NE(sheet(), nullptr);
        EXPECT_TRUE(waitUntil([&] { return sheet()->preview().has_value(); }));
        return *sheet();
    }

    static bool finished(const MigrationSheet& sheet) { return stageOf(sheet.phase()) == SheetStage::finished; }
    static QPushButton& button(QWidget& sheet, const QString& name) { return *child<QPushButton>(sheet, name); }
};

TEST_F(MigrationRoadTest, AMigrationRepairsTheProjectWhileTheWindowKeepsResponding)
{
    // The engine runs as it is, but reports its thread and waits at a gate before migrating.
    auto gate = std::make_shared<testing::DiscoveryGate>();
    auto threads = std::make_shared<std::vector<QThread*>>();
    auto engine = MigrationEngine::standard();
    engine.preview = [threads, standard = engine.preview](const ConversationMigrator::Input& input) {
        threads->push_back(QThread::currentThread());
        return standard(input);
    };
    engine.migrate = [gate, threads, standard = engine.migrate](
                         const ConversationMigrator::Input& input, const std::string& stamp) {
        threads->push_back(QThread::currentThread());
        gate->enter();
        return standard(input, stamp);
    };
    detail().setMigrationEngine(engine);

    const fs::path oldFolder = fixture->folderOf(fixture->movedCwd);
    const fs::path newFolder = fixture->folderOf(fixture->movedSuggestion);
    QPointer<MigrationSheet> sheet = &openSheetForTheMovedProject();
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"actionLine"_s)->text(),
        u"The folder "_s + QString::fromStdString(oldFolder.filename().string()) + u" is renamed to "_s
            + QString::fromStdString(newFolder.filename().string()) + u"."_s);
    button(*sheet, u"primaryButton"_s).click();

    ASSERT_TRUE(gate->waitForEntered(1));
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, &clock, [&] { ++ticks; });
    clock.start(1);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 20; })) << "the window handles events while the engine works";
    EXPECT_TRUE(child<QWidget>(*sheet, u"runningProgress"_s)->isVisible());
    gate->openForAll();
    ASSERT_TRUE(waitUntil([&] { return finished(*sheet); }, 60'000));
    ASSERT_EQ(threads->size(), 2u);
    for (QThread* thread : *threads)
        EXPECT_NE(thread, QThread::currentThread()) << "the engine never runs on the GUI thread";

    EXPECT_EQ(child<SymbolLabel>(*sheet, u"reportTitle"_s)->text(), u"Migration successful"_s);
    EXPECT_FALSE(fs::exists(oldFolder));
    ASSERT_TRUE(fs::is_directory(newFolder));
    const auto left = JSONLRewriter::scan(newFolder, fixture->movedCwd);
    EXPECT_EQ(left.byClass.count(CwdClass::sessionCwd), 0u) << "no session directory names the old place";
    EXPECT_GT(JSONLRewriter::scan(newFolder, fixture->movedSuggestion).byClass.at(CwdClass::sessionCwd), 2000);
    const auto history = MigrationAudit::records();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].newCwd, fixture->movedSuggestion);
    EXPECT_EQ(child<ElidedLabel>(*sheet, u"backupLine"_s)->fullText(),
        u"Backup: "_s + QString::fromStdString(history[0].backupPath.value_or("(none)")));
    EXPECT_TRUE(button(*sheet, u"revealBackupButton"_s).isVisible());
    EXPECT_EQ(child<CommandBlock>(*sheet, u"commandBlock"_s)->command(),
        u"cd '"_s + QString::fromStdString(fixture->movedSuggestion) + u"' && claude --resume"_s);

    button(*sheet, u"closeButton"_s).click();
    EXPECT_TRUE(env->isScanning()) << "Close starts a rescan";
    ASSERT_TRUE(waitUntil([&] { return sheet.isNull(); }));
    waitForScan();
    const std::string newFolderName = newFolder.filename().string();
    const QModelIndex row = listModel().index(listModel().rowOf(idOf(newFolderName)));
    EXPECT_EQ(row.data(ProjectListModel::StatusColorRole).value<QColor>(), Theme::ok());
    EXPECT_TRUE(find<EmptyStateView>(u"detailPlaceholder"_s)->isVisible())
        << "the renamed project has a new id, and the scan leaves the selection alone";
    selectRow(newFolderName);
    EXPECT_EQ(find<QLabel>(u"statusLabel"_s)->text(), u"Resume OK"_s);
}

TEST_F(MigrationRoadTest, ADryRunChangesNoByteOnDisk)
{
    MigrationSheet& sheet = openSheetForTheMovedProject();
    const auto before = testing::snapshot(home());
    child<QCheckBox>(sheet, u"dryRunToggle"_s)->setChecked(true);
    EXPECT_EQ(button(sheet, u"primaryButton"_s).text(), u"Run dry run"_s);
    button(sheet, u"primaryButton"_s).click();
    ASSERT_TRUE(waitUntil([&] { return finished(sheet); }, 60'000));
    EXPECT_EQ(child<SymbolLabel>(sheet, u"reportTitle"_s)->text(), u"Dry run complete"_s);
    EXPECT_TRUE(testing::snapshot(home()) == before);
    EXPECT_TRUE(MigrationAudit::records().empty());
}

TEST_F(MigrationRoadTest, AnEngineFailureShowsTheEnginesOwnWords)
{
    // The destination cannot take the folder: every move fails as a broken disk would.
    auto engine = MigrationEngine::standard();
    engine.migrate = [](const ConversationMigrator::Input& input, const std::string& stamp) {
        return ConversationMigrator::migrate(input, stamp, [](const fs::path& from, const fs::path& to) {
            throw fs::filesystem_error("cannot move", from, to, std::make_error_code(std::errc::io_error));
        });
    };
    detail().setMigrationEngine(engine);
    QPointer<MigrationSheet> sheet = &openSheetForTheMovedProject();
    button(*sheet, u"primaryButton"_s).click();
    ASSERT_TRUE(waitUntil([&] { return finished(*sheet); }, 60'000));
    const std::string reason = std::make_error_code(std::errc::io_error).message();
    EXPECT_EQ(
        child<SymbolLabel>(*sheet, u"failureLabel"_s)->text(), QString::fromStdString("Rename failed: " + reason));
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"failureLabel"_s)->color(), Theme::broken());
    EXPECT_FALSE(button(*sheet, u"revealBackupButton"_s).isVisible());
    button(*sheet, u"closeButton"_s).click();
    EXPECT_TRUE(env->isScanning()) << "Close rescans after a failure too";
    EXPECT_TRUE(waitUntil([&] { return sheet.isNull(); }));
}

} // namespace
} // namespace threadhop
