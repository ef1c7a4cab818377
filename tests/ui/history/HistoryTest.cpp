#include "support/ui/WindowTest.h"
#include "theme/Theme.h"
#include "ui/history/HistoryPresenter.h"
#include "ui/history/HistoryRow.h"
#include "ui/history/HistoryView.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/WrappingText.h"

#include "core/migration/BackupArchiver.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>

namespace threadhop::testing {
namespace {

namespace Presenter = HistoryPresenter;
namespace Slots = HistoryPresenter::RestoreSlots;

MigrationRecord record(bool success = true, bool dryRun = false, std::optional<std::string> message = std::nullopt)
{
    return {.dryRun = dryRun, .success = success, .message = std::move(message)};
}

TEST(HistoryPresenterTest, RowDotAndBadges)
{
    const Presenter::Badge dryRun{u"DRY-RUN"_s, std::nullopt}; // the plain grey capsule
    const Presenter::Badge restore{u"RESTORE"_s, Theme::warn(), 0.3};
    const std::tuple<MigrationRecord, QColor, std::vector<Presenter::Badge>> cases[]{
        {record(), Theme::ok(), {}},
        {record(false), Theme::broken(), {}},
        {record(true, true), Theme::ok(), {dryRun}},
        {record(true, false, "Restore from backup (reverts migration 0A1B2C3D)"), Theme::ok(), {restore}},
        {record(false, true, "Restore"), Theme::broken(), {dryRun, restore}},
        {record(true, false, "Rolled back: Restore"), Theme::ok(), {}},
        {record(true, false, "restore from backup"), Theme::ok(), {}},
    };
    for (const auto& [input, dot, badges] : cases) {
        EXPECT_EQ(Presenter::dotColor(input), dot);
        EXPECT_EQ(Presenter::badges(input), badges) << input.message.value_or("(no message)");
    }
}

TEST(HistoryPresenterTest, TimestampAbbreviatesTheDateAndShortensTheTimeInTheUsersLocale)
{
    const QDateTime local(QDate(2024, 5, 1), QTime(9, 30, 12));
    const std::chrono::system_clock::time_point time{std::chrono::milliseconds(local.toMSecsSinceEpoch())};
    EXPECT_EQ(Presenter::timestamp(time, QLocale(QLocale::German, QLocale::Germany)), u"1. Mai 2024, 09:30"_s);
    EXPECT_TRUE(Presenter::timestamp(time, QLocale(QLocale::English, QLocale::UnitedStates))
                    .startsWith(u"May 1, 2024, 9:30"_s));
    EXPECT_EQ(Presenter::timestamp(time, QLocale::c()), u"1 May 2024, 09:30"_s) << "no seconds";
}

TEST(HistoryPresenterTest, SlotOrderRestoreRecordThenButtonThenReason)
{
    const auto refusal = MigrationError::notRestorable("A dry run changed nothing.");
    const std::tuple<MigrationRecord, std::optional<MigrationError>, Presenter::RestoreSlot> cases[]{
        {record(true, false, "Restore from backup"), std::nullopt, Slots::Empty{}},
        {record(true, false, "Restore from backup"), refusal, Slots::Empty{}},
        {record(), std::nullopt, Slots::Button{}},
        {record(false), std::nullopt, Slots::Button{}},
        {record(true, true), refusal, Slots::Reason{u"A dry run changed nothing."_s}},
        {record(), MigrationError::backupFailed("The backup no longer exists."),
         Slots::Reason{u"Backup failed: The backup no longer exists."_s}},
    };
    for (const auto& [input, obstacle, expected] : cases)
        EXPECT_EQ(Presenter::restoreSlot(input, obstacle), expected);
}

TEST(HistoryPresenterTest, SetAsideLineNamesTheFileOrTheFolderAndEachName)
{
    const fs::path folder = "/h/.local/share/Threadhop";
    EXPECT_EQ(Presenter::setAsideLine({}), std::nullopt);
    EXPECT_EQ(Presenter::setAsideLine({folder / "audit.json.unreadable-20240501-093000"}),
              u"A history that could not be read is kept as "
              u"/h/.local/share/Threadhop/audit.json.unreadable-20240501-093000."_s);
    EXPECT_EQ(Presenter::setAsideLine(
                  {folder / "audit.json.unreadable-20240501-093000", folder / "audit.json.unreadable-20240502-100000"}),
              u"Histories that could not be read are kept in /h/.local/share/Threadhop: "
              u"audit.json.unreadable-20240501-093000, audit.json.unreadable-20240502-100000."_s);
}

// The history window over a temporary home: records written by the real engine, restores through
// the window, and the ways a restore or the history file can go wrong.
class HistoryViewTest : public WindowTest {
protected:
    void SetUp() override
    {
        oldProject();
        openScanned({account("claude")});
    }

    MigrationRecord migrate() const { return ConversationMigrator::migrate(input(), stamp); }

    HistoryView& openHistory()
    {
        child<QAction>(*window, u"historyAction"_s)->trigger();
        HistoryView* view = window->historyWindow();
        EXPECT_TRUE(view && view->isVisible());
        return *view;
    }

    static QList<HistoryRow*> rows(const HistoryView& view) { return view.findChildren<HistoryRow*>(); }
    static QPushButton* restoreButton(const HistoryRow& row) { return row.findChild<QPushButton*>(u"restoreButton"_s); }
    static QString reason(const HistoryRow& row)
    {
        const auto* label = row.findChild<QLabel*>(u"restoreReason"_s);
        return label ? label->text() : QString();
    }

    /// Presses "Restore" on the row, and the confirmation's button named `answer`.
    static QMessageBox& restore(HistoryView& view, HistoryRow& row, const QString& answer = u"confirmRestoreButton"_s)
    {
        restoreButton(row)->click();
        auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
        EXPECT_EQ(confirmation->text(), u"Restore from backup?"_s);
        button(*confirmation, answer).click();
        return *confirmation;
    }

    static QMessageBox* failure(const HistoryView& view)
    {
        return view.findChild<QMessageBox*>(u"restoreFailedAlert"_s);
    }
};

TEST_F(HistoryViewTest, RestoringAMigrationPutsTheFolderBackByteForByteAndRescans)
{
    const auto before = snapshot(projects() / "-w-old");
    migrate();
    ASSERT_FALSE(fs::exists(projects() / "-w-old"));

    HistoryView& view = openHistory();
    ASSERT_EQ(rows(view).size(), 1);
    HistoryRow& row = *rows(view).front();
    EXPECT_EQ(child<ElidedLabel>(row, u"recordOldPath"_s)->fullText(), u"/w/old"_s);
    EXPECT_EQ(child<QLabel>(row, u"recordCounts"_s)->text(), u"3 files · 3 references"_s);

    const QMessageBox& asked = restore(view, row, u"cancelRestoreButton"_s);
    EXPECT_EQ(asked.informativeText(),
              u"Restores folder -w-old and removes -w-new. Anything created in the new location after the migration "
              u"is archived to a .tar.gz first, so it can be recovered — but it will not be in place any more."_s);
    EXPECT_TRUE(fs::exists(projects() / "-w-new")) << "Cancel changes nothing";

    restore(view, *rows(view).front());
    EXPECT_EQ(snapshot(projects() / "-w-old"), before);
    EXPECT_FALSE(fs::exists(projects() / "-w-new"));
    EXPECT_TRUE(env->isScanning()) << "a completed restore starts a rescan";

    const auto shown = rows(view);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(child<QLabel>(*shown[0], u"badge"_s)->text(), u"RESTORE"_s) << "the reverting record comes first";
    EXPECT_EQ(restoreButton(*shown[0]), nullptr);
    EXPECT_EQ(reason(*shown[0]), QString()) << "and has an empty slot";
    EXPECT_EQ(child<ElidedLabel>(*shown[0], u"recordNewPath"_s)->fullText(), u"→ /w/old"_s);
    EXPECT_EQ(reason(*shown[1]), u"This migration has already been undone."_s);
}

TEST_F(HistoryViewTest, AnAccountNotOnThisComputerAndOneThatGoesWhileConfirming)
{
    MigrationRecord elsewhere = migrate();
    elsewhere.id = Uuid::random();
    elsewhere.accountId = "elsewhere";
    MigrationAudit::append(elsewhere);

    HistoryView& view = openHistory();
    auto shown = rows(view);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(reason(*shown[0]), u"Account elsewhere is not on this computer."_s);
    EXPECT_EQ(restoreButton(*shown[0]), nullptr);

    restoreButton(*shown[1])->click();
    auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
    *fake.accountsByCall = {{}};
    rescan(*env);
    button(*confirmation, u"confirmRestoreButton"_s).click();
    ASSERT_NE(failure(view), nullptr);
    EXPECT_EQ(std::tuple(failure(view)->text(), failure(view)->informativeText()),
              std::tuple(u"Restore failed"_s, u"Account claude no longer exists."_s));
    EXPECT_TRUE(fs::exists(projects() / "-w-new"));
    EXPECT_FALSE(env->isScanning());
}

TEST_F(HistoryViewTest, ADamagedRecordHidesNoOtherAndAHistoryKeptAsideIsNamed)
{
    MigrationRecord elsewhere = migrate();
    elsewhere.id = Uuid::random();
    elsewhere.accountId = "elsewhere";
    MigrationAudit::append(elsewhere);
    std::string history = readFile(MigrationAudit::historyFile());
    history.insert(history.find("},\n  {") + 3,
                   R"(  {"id": "{not a record}", "timestamp": "yesterday"},)"
                   "\n");
    writeFile(MigrationAudit::historyFile(), history);

    HistoryView& view = openHistory();
    auto shown = rows(view);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(reason(*shown[0]), u"Account elsewhere is not on this computer."_s);
    EXPECT_NE(restoreButton(*shown[1]), nullptr);
    EXPECT_FALSE(child<WrappingText>(view, u"historySetAsideLine"_s)->isVisible());
    view.accept();

    writeFile(MigrationAudit::historyFile(), "not a history");
    MigrationAudit::append(elsewhere);
    const auto kept = MigrationAudit::setAsideHistories();
    ASSERT_EQ(kept.size(), 1u);
    HistoryView& again = openHistory();
    ASSERT_EQ(rows(again).size(), 1);
    auto* line = child<WrappingText>(again, u"historySetAsideLine"_s);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), u"A history that could not be read is kept as "_s + toQString(kept[0].native()) + u"."_s);
}

TEST_F(HistoryViewTest, AFailedRestoreShowsTheEnginesWordsAndChangesNothing)
{
    migrate();
    writeFile(home() / "tar", "#!/bin/sh\necho 'tar: the disk is on fire' >&2\nexit 2\n");
    fs::permissions(home() / "tar", fs::perms::owner_all);
    const BackupArchiver::ScopedTarProgram brokenTar(home() / "tar");
    const auto before = snapshot(projects());
    const std::string history = readFile(MigrationAudit::historyFile());

    HistoryView& view = openHistory();
    restore(view, *rows(view).front());
    QMessageBox* alert = failure(view);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), u"Restore failed"_s);
    EXPECT_TRUE(alert->informativeText().contains(u"tar: the disk is on fire"_s)) << "the engine's own words";
    EXPECT_FALSE(env->isScanning()) << "no rescan after a failure";
    ASSERT_EQ(rows(view).size(), 1);
    EXPECT_NE(restoreButton(*rows(view).front()), nullptr) << "the list is as it was";
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_EQ(readFile(MigrationAudit::historyFile()), history);

    button(*alert, u"restoreFailedOkButton"_s).click();
    EXPECT_TRUE(waitUntil([&] { return failure(view) == nullptr; }));
}

} // namespace
} // namespace threadhop::testing
