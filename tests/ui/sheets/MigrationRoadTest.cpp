// The main road through the window: a broken project, the migration sheet, the real engine on real
// transcripts, and the rescan that shows the repaired project.
#include "support/ui/TranscriptWindowTest.h"
#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/widgets/SymbolLabel.h"

#include "core/editing/JSONLRewriter.h"
#include "core/operations/MigrationAudit.h"
#include "core/util/fs/AtomicFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

namespace threadhop::testing {
namespace {

class MigrationRoadTest : public TranscriptWindowTest {
protected:
    /// Opens the sheet for the project whose directory moved to its one suggestion, waits for its
    /// preview and presses the primary button, for a dry run when asked.
    QPointer<MigrationSheet> start(bool dryRun = false)
    {
        select(fixture->movedCwd);
        button(*window, u"migrateButton"_s).click();
        QPointer<MigrationSheet> shown = sheet();
        EXPECT_TRUE(shown && waitUntil([&] { return shown->preview().has_value(); }));
        child<QCheckBox>(*shown, u"dryRunToggle"_s)->setChecked(dryRun);
        button(*shown, u"primaryButton"_s).click();
        return shown;
    }

    static bool finish(const QPointer<MigrationSheet>& sheet)
    {
        return waitUntil([&] { return sheet && stageOf(sheet->phase()) == SheetStage::finished; }, 60'000);
    }
};

TEST_F(MigrationRoadTest, AMigrationRepairsTheProjectOffTheGuiThreadWhileTheWindowKeepsResponding)
{
    // The engine runs as it is, but reports its thread and waits at a gate before migrating.
    auto gate = std::make_shared<DiscoveryGate>();
    auto threads = std::make_shared<std::vector<QThread*>>();
    auto engine = MigrationEngine::standard();
    engine.preview = [threads, standard = engine.preview](const ConversationMigrator::Input& input) {
        threads->push_back(QThread::currentThread());
        return standard(input);
    };
    engine.migrate = [gate, threads, standard = engine.migrate](const ConversationMigrator::Input& input,
                                                                const std::string& stamp) {
        threads->push_back(QThread::currentThread());
        gate->enter();
        return standard(input, stamp);
    };
    detail().setMigrationEngine(engine);
    QPointer<MigrationSheet> sheet = start();
    ASSERT_TRUE(gate->waitForEntered(1));
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, &clock, [&] { ++ticks; });
    clock.start(1);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 20; })) << "the window handles events while the engine works";
    gate->openForAll();
    ASSERT_TRUE(finish(sheet));
    ASSERT_EQ(threads->size(), 2u);
    for (QThread* thread : *threads)
        EXPECT_NE(thread, QThread::currentThread()) << "the engine never runs on the GUI thread";

    const fs::path newFolder = fixture->folderOf(fixture->movedSuggestion);
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"reportTitle"_s)->text(), u"Migration successful"_s);
    EXPECT_FALSE(fs::exists(fixture->folderOf(fixture->movedCwd)));
    ASSERT_TRUE(fs::is_directory(newFolder));
    EXPECT_EQ(JSONLRewriter::scan(newFolder, fixture->movedCwd).byClass.count(CwdClass::sessionCwd), 0u)
        << "no session directory names the old place";
    const MigrationRecord record = onlyRecord();
    EXPECT_EQ(record.newCwd, fixture->movedSuggestion);
    EXPECT_EQ(child<ElidedLabel>(*sheet, u"backupLine"_s)->fullText(),
              u"Backup: "_s + QString::fromStdString(record.backupPath.value_or("(none)")));
    EXPECT_TRUE(button(*sheet, u"revealBackupButton"_s).isVisible());
    EXPECT_EQ(child<CommandBlock>(*sheet, u"commandBlock"_s)->command(),
              u"cd '"_s + QString::fromStdString(fixture->movedSuggestion) + u"' && claude --resume"_s);

    button(*sheet, u"closeButton"_s).click();
    ASSERT_TRUE(waitUntil([&] { return sheet.isNull(); }));
    waitForScan(*env);
    EXPECT_TRUE(child<EmptyStateView>(*window, u"detailPlaceholder"_s)->isVisible())
        << "the renamed project has a new id, and the scan leaves the selection alone";
    selectRow(newFolder.filename().string());
    EXPECT_EQ(child<QLabel>(*window, u"statusLabel"_s)->text(), u"Resume OK"_s);
}

TEST_F(MigrationRoadTest, ADryRunChangesNoByteOnDisk)
{
    const auto before = snapshot(home());
    QPointer<MigrationSheet> sheet = start(true);
    ASSERT_TRUE(finish(sheet));
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"reportTitle"_s)->text(), u"Dry run complete"_s);
    EXPECT_TRUE(snapshot(home()) == before);
    EXPECT_TRUE(MigrationAudit::records().empty());
}

TEST_F(MigrationRoadTest, MovingAMismatchedFolderToItsOwnDirectorySaysOnlyTheFolderIsRenamedAndSoItIs)
{
    select(fixture->lostCwd);
    EXPECT_TRUE(child<QLabel>(*window, u"migrationExplanation"_s)
                    ->text()
                    .startsWith(u"The recorded location no longer exists."_s));
    select(fixture->oldAppCwd);
    EXPECT_EQ(child<QLabel>(*window, u"migrationExplanation"_s)->text(),
              u"This folder's name does not match the directory its conversations record. Pick where the project "
              u"lives now so the conversations are relinked and `--resume` works again."_s)
        << "the recorded directory is there; the folder's name is what is wrong";
    answer = QString::fromStdString(fixture->renamedAppCwd);
    button(*window, u"chooseManuallyButton"_s).click();
    button(*window, u"migrateButton"_s).click();
    QPointer<MigrationSheet> shown = sheet();
    ASSERT_TRUE(shown && waitUntil([&] { return shown->preview().has_value(); }));
    EXPECT_GT(shown->preview()->totalOccurrences, 0) << "the engine counts the directory it leaves as it is";
    EXPECT_EQ(child<SymbolLabel>(*shown, u"previewCounts"_s)->text(),
              u"Only the folder is renamed: no transcript changes."_s);

    const fs::path oldFolder = fixture->folderOf(fixture->oldAppCwd);
    const std::string transcript = readFile(oldFolder / "tool_heavy.jsonl");
    button(*shown, u"primaryButton"_s).click();
    ASSERT_TRUE(finish(shown));
    EXPECT_EQ(readFile(fixture->folderOf(fixture->renamedAppCwd) / "tool_heavy.jsonl"), transcript);
    EXPECT_EQ(child<QLabel>(*shown, u"reportCounts"_s)->text(),
              u"Only the folder was renamed: no transcript changed."_s);
    EXPECT_GT(onlyRecord().occurrencesReplaced, 0) << "the record keeps the engine's counts";
}

TEST_F(MigrationRoadTest, AFailureShowsTheSentenceOfItsRecord)
{
    // A read-only folder and a full disk while the transcripts are rewritten, a destination that
    // cannot take the folder, and a reference the rewrite cannot reach, which fails the verification
    // (last, as it stays): what the sheet shows is what the history keeps, step, folder and all.
    const fs::path folder = fixture->folderOf(fixture->movedCwd);
    const auto hiddenReference = [&] {
        writeFile(folder / "hidden.jsonl", "{\"cwd\":\"" + replaced(fixture->movedCwd, "/", "\\/") + "\"}\n");
    };
    const auto rewriteFails = [](std::errc error) {
        return [error](const fs::path& transcript) {
            throw fs::filesystem_error("cannot replace", transcript, std::make_error_code(error));
        };
    };
    const std::string back = ". Nothing was applied; every file is back where it started.";
    const struct {
        std::function<void()> arrange;
        std::function<void(const fs::path&)> rewrite;
        bool moveFails;
        std::string sentence;
    } failures[] = {
        {{}, rewriteFails(std::errc::permission_denied), false, "Rewrite failed: Permission denied in "},
        {{}, rewriteFails(std::errc::no_space_on_device), false, "Rewrite failed: No space left on device in "},
        {{}, [](const fs::path&) {}, true, "Rename failed: Input/output error in " + folder.string() + back},
        {hiddenReference, [](const fs::path&) {}, false, "Verification failed: 1 old references remain" + back},
    };
    for (const auto& [arrange, rewrite, moveFails, sentence] : failures) {
        SCOPED_TRACE(sentence);
        if (arrange)
            arrange();
        const AtomicFile::ScopedReplaceHook disk(AtomicFile::ScopedReplaceHook::Moment::beforeRename, rewrite);
        auto engine = MigrationEngine::standard();
        if (moveFails) {
            engine.migrate = [](const ConversationMigrator::Input& input, const std::string& stamp) {
                return ConversationMigrator::migrate(input, stamp, [](const fs::path& from, const fs::path& to) {
                    throw fs::filesystem_error("cannot move", from, to, std::make_error_code(std::errc::io_error));
                });
            };
        }
        detail().setMigrationEngine(engine);
        const auto before = snapshot(folder);
        QPointer<MigrationSheet> sheet = start();
        ASSERT_TRUE(finish(sheet));
        const QString shown = child<SymbolLabel>(*sheet, u"failureLabel"_s)->text();
        EXPECT_TRUE(shown.startsWith(QString::fromStdString(sentence)) && shown.endsWith(QString::fromStdString(back)))
            << shown.toStdString();
        EXPECT_EQ(shown.toStdString(), MigrationAudit::records().front().message.value_or(""));
        EXPECT_TRUE(snapshot(folder) == before);
        button(*sheet, u"closeButton"_s).click();
        EXPECT_TRUE(waitUntil([&] { return sheet.isNull() && !env->isScanning(); }));
    }
}

} // namespace
} // namespace threadhop::testing
