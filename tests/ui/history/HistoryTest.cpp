#include "support/ui/DrawnText.h"
#include "support/ui/WindowTest.h"
#include "theme/Theme.h"
#include "ui/history/HistoryPresenter.h"
#include "ui/history/HistoryRowDelegate.h"
#include "ui/history/HistoryView.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/WrappingText.h"

#include "core/migration/BackupArchiver.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDateTime>
#include <QListView>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>

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
    EXPECT_EQ(Presenter::Timestamps(QLocale(QLocale::German, QLocale::Germany)).text(time), u"1. Mai 2024, 09:30"_s);
    EXPECT_TRUE(Presenter::Timestamps(QLocale(QLocale::English, QLocale::UnitedStates))
                    .text(time)
                    .startsWith(u"May 1, 2024, 9:30"_s));
    EXPECT_EQ(Presenter::Timestamps(QLocale::c()).text(time), u"1 May 2024, 09:30"_s) << "no seconds";
}

TEST(HistoryPresenterTest, SetAsideLineNamesTheFileOrTheFolderAndEachNameAndTheNoticeSaysAllThatApplies)
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

    const fs::path file = folder / "audit.json";
    EXPECT_EQ(Presenter::notice({}, file, {}), std::nullopt);
    EXPECT_EQ(Presenter::notice({.undecodable = 2}, file, {}),
              u"2 records of the history cannot be shown; they stay in the file as they are."_s);
    EXPECT_EQ(Presenter::notice({.unreadable = "Permission denied"}, file, {folder / "audit.json.unreadable-1"}),
              u"Threadhop cannot read the history /h/.local/share/Threadhop/audit.json: Permission denied. It stays "
              u"as it is; the next migration, restore or account move keeps it beside a new history.\n"
              u"A history that could not be read is kept as /h/.local/share/Threadhop/audit.json.unreadable-1."_s);
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
        m_tester = std::make_unique<QAbstractItemModelTester>(list(*view).model(),
                                                              QAbstractItemModelTester::FailureReportingMode::Warning);
        return *view;
    }

    static int rows(const HistoryView& view) { return view.model().rowCount(); }
    static const HistoryListModel::Entry& row(const HistoryView& view, int index) { return view.model().entry(index); }
    static bool hasRestoreButton(const HistoryView& view, int index)
    {
        return std::holds_alternative<Slots::Button>(row(view, index).slot);
    }
    static QString reason(const HistoryView& view, int index)
    {
        const auto* reason = std::get_if<Slots::Reason>(&row(view, index).slot);
        return reason ? reason->text : QString();
    }
    static QListView& list(const HistoryView& view) { return *child<QListView>(view, u"historyList"_s); }
    /// The lines above the list; empty while they are hidden.
    static QString notice(const HistoryView& view)
    {
        auto* line = child<WrappingText>(view, u"historyNotice"_s);
        return line->isVisible() ? line->text() : QString();
    }

    /// Clicks the row's "Restore" where the row draws it.
    static void clickRestore(HistoryView& view, int index)
    {
        QListView& shown = list(view);
        const QModelIndex at = view.model().index(index);
        shown.scrollTo(at);
        const QRect button = view.rowDelegate().parts(row(view, index), shown.visualRect(at)).slot;
        QTest::mouseClick(shown.viewport(), Qt::LeftButton, {}, button.center());
    }

    /// Presses "Restore" on the row, and the confirmation's button named `answer`.
    static QMessageBox& restore(HistoryView& view, int index, const QString& answer = u"confirmRestoreButton"_s)
    {
        clickRestore(view, index);
        auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
        button(*confirmation, answer).click();
        return *confirmation;
    }

    static QMessageBox* failure(const HistoryView& view)
    {
        return view.findChild<QMessageBox*>(u"restoreFailedAlert"_s);
    }

    void TearDown() override
    {
        m_tester.reset();
        WindowTest::TearDown();
    }

private:
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

TEST_F(HistoryViewTest, RestoringAMigrationPutsTheFolderBackByteForByteAndRescans)
{
    const auto before = snapshot(projects() / "-w-old");
    migrate();
    ASSERT_FALSE(fs::exists(projects() / "-w-old"));

    HistoryView& view = openHistory();
    ASSERT_EQ(rows(view), 1);
    EXPECT_EQ(std::tuple(row(view, 0).record.oldCwd, row(view, 0).countsLine),
              std::tuple("/w/old", u"3 files · 3 references"_s));

    const QMessageBox& asked = restore(view, 0, u"cancelRestoreButton"_s);
    EXPECT_EQ(asked.informativeText(),
              u"Restores folder -w-old from its backup and takes what this migration brought out of -w-new; "
              u"everything else there stays. What is taken out is archived to a .tar.gz first, so anything added to "
              u"it since can be recovered — but it will not be in place any more."_s);
    EXPECT_TRUE(fs::exists(projects() / "-w-new")) << "Cancel changes nothing";

    restore(view, 0);
    EXPECT_EQ(snapshot(projects() / "-w-old"), before);
    EXPECT_FALSE(fs::exists(projects() / "-w-new"));
    EXPECT_TRUE(env->isScanning()) << "a completed restore starts a rescan";

    ASSERT_EQ(rows(view), 2);
    EXPECT_EQ(row(view, 0).badges.at(0).text, u"RESTORE"_s) << "the reverting record comes first";
    EXPECT_TRUE(std::holds_alternative<Slots::Empty>(row(view, 0).slot)) << "and has an empty slot";
    EXPECT_EQ(row(view, 0).newPathLine, u"→ /w/old"_s);
    EXPECT_EQ(reason(view, 1), u"This migration has already been undone."_s);
}

TEST_F(HistoryViewTest, UndoingAMergeSaysItTakesOutOnlyWhatItMovedInAndDoesSo)
{
    fs::remove_all(projects() / "-w-old");
    oldProject(true);
    const std::string theirs = readFile(projects() / "-w-new" / "theirs.jsonl");
    migrate();
    // A conversation started in the old directory since: the old folder exists again.
    transcript("-w-old", "later.jsonl", cwdLine("/w/old"));
    HistoryView& view = openHistory();
    restore(view, 0, u"cancelRestoreButton"_s);
    EXPECT_TRUE(child<QMessageBox>(view, u"restoreConfirmation"_s)
                    ->informativeText()
                    .endsWith(u"— but it will not be in place any more. -w-old exists: the restored conversations "
                              u"join the ones in it."_s));

    restore(view, 0);
    EXPECT_EQ(readFile(projects() / "-w-new" / "theirs.jsonl"), theirs) << "the folder's own conversation stays";
    EXPECT_EQ(entries(projects() / "-w-new"), (std::vector<std::string>{"theirs.jsonl"}));
    EXPECT_EQ(entries(projects() / "-w-old"), (std::vector<std::string>{"a", "a.jsonl", "b.jsonl", "later.jsonl"}));
}

TEST_F(HistoryViewTest, ARescanJudgesTheRowsAgainWithoutMovingTheListAndSpacePressesTheCurrentRowsRestore)
{
    const MigrationRecord first = migrate();
    for (int i = 0; i < 40; ++i) {
        MigrationRecord record = first;
        record.id = Uuid::random();
        record.accountId = i % 2 ? "claude" : "elsewhere";
        MigrationAudit::append(record);
    }
    HistoryView& view = openHistory();
    QListView& shown = list(view);
    ASSERT_GT(shown.verticalScrollBar()->maximum(), 0);
    shown.verticalScrollBar()->setValue(shown.verticalScrollBar()->maximum() / 2);
    const int scrolled = shown.verticalScrollBar()->value();
    const int elsewhere = 1; // the newest record of the account "elsewhere"
    EXPECT_EQ(reason(view, elsewhere), u"Account elsewhere is not on this computer."_s);

    *fake.accountsByCall = {{account("claude"), account("elsewhere")}};
    rescan(*env);
    EXPECT_EQ(shown.verticalScrollBar()->value(), scrolled) << "the list stays where the user left it";
    EXPECT_NE(reason(view, elsewhere), u"Account elsewhere is not on this computer."_s) << "judged again";

    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    const int last = rows(view) - 1; // the first migration, which nothing has moved since
    ASSERT_TRUE(hasRestoreButton(view, last));
    shown.setFocus(Qt::TabFocusReason);
    shown.setCurrentIndex(view.model().index(last));
    QTest::keyClick(&shown, Qt::Key_Space);
    button(*child<QMessageBox>(view, u"restoreConfirmation"_s), u"cancelRestoreButton"_s).click();
}

TEST_F(HistoryViewTest, ADamagedRecordHidesNoOtherAnAccountGoneWhileConfirmingStopsTheRestoreAndABadHistoryIsTold)
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
    ASSERT_EQ(rows(view), 2);
    EXPECT_EQ(reason(view, 0), u"Account elsewhere is not on this computer."_s);
    EXPECT_EQ(notice(view), u"1 record of the history cannot be shown; it stays in the file as it is."_s);
    clickRestore(view, 1);
    auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
    *fake.accountsByCall = {{}};
    rescan(*env);
    button(*confirmation, u"confirmRestoreButton"_s).click();
    ASSERT_NE(failure(view), nullptr);
    EXPECT_EQ(std::tuple(failure(view)->text(), failure(view)->informativeText()),
              std::tuple(u"Restore failed"_s, u"Account claude no longer exists."_s));
    EXPECT_TRUE(fs::exists(projects() / "-w-new"));
    EXPECT_FALSE(env->isScanning());
    view.accept();

    // Told before anything is written, and where it went once something is.
    writeFile(MigrationAudit::historyFile(), "not a history");
    HistoryView& unreadable = openHistory();
    EXPECT_TRUE(child<EmptyStateView>(unreadable, u"historyEmptyState"_s)->isVisible());
    EXPECT_EQ(notice(unreadable),
              u"Threadhop cannot read the history "_s + toQString(MigrationAudit::historyFile().native())
                  + u": it is not a JSON array. It stays as it is; the next migration, restore or account move "
                    u"keeps it beside a new history."_s);
    unreadable.accept();
    MigrationAudit::append(elsewhere);
    const auto kept = MigrationAudit::setAsideHistories();
    ASSERT_EQ(kept.size(), 1u);
    HistoryView& again = openHistory();
    ASSERT_EQ(rows(again), 1);
    EXPECT_EQ(notice(again), u"A history that could not be read is kept as "_s + toQString(kept[0].native()) + u"."_s);
}

TEST_F(HistoryViewTest, HistoryFieldsShowInTheAlertsAsWrittenNeverAsMarkupOrALink)
{
    // Each account's record names folders of the same markup, without the closing tags a name cannot hold.
    const std::pair<std::string, std::string> hostile[]{
        {"<b><font size=7 color=red>URGENT</font></b>", "<b><font size=7 color=red>URGENT"},
        {"<a href=\"file:///etc/passwd\">open</a>", "<a href=\"file:passwd\">open"}};
    const MigrationRecord migrated = migrate();
    fs::remove(MigrationAudit::historyFile());
    std::vector<ClaudeAccount> accounts;
    for (const auto& [text, folder] : hostile) {
        MigrationRecord record = migrated;
        record.id = Uuid::random();
        record.accountId = text;
        record.oldFolder = folder + " old";
        record.newFolder = folder;
        fs::create_directory(projects() / folder);
        MigrationAudit::append(record);
        accounts.push_back(account(text));
    }
    HistoryView& view = openHistory();
    for (int index = 0; index < 2; ++index) {
        const MigrationRecord record = row(view, index).record;
        *fake.accountsByCall = {accounts};
        rescan(*env);
        clickRestore(view, index);
        auto* confirmation = child<QMessageBox>(view, u"restoreConfirmation"_s);
        EXPECT_EQ(
            drawnTexts(*confirmation),
            (std::vector<DrawnText>{{u"Restore from backup?"_s}, {Presenter::confirmationMessage(record, false)}}));
        EXPECT_TRUE(confirmation->informativeText().contains(toQString(record.newFolder)));

        // The account goes while the restore is being confirmed.
        *fake.accountsByCall = {{}};
        rescan(*env);
        button(*confirmation, u"confirmRestoreButton"_s).click();
        ASSERT_NE(failure(view), nullptr);
        EXPECT_EQ(drawnTexts(*failure(view)),
                  (std::vector<DrawnText>{{u"Restore failed"_s}, {Presenter::accountGone(record)}}));
        EXPECT_TRUE(failure(view)->informativeText().contains(toQString(record.accountId)));
        button(*failure(view), u"restoreFailedOkButton"_s).click();
        ASSERT_TRUE(waitUntil([&] { return failure(view) == nullptr && !has(view, u"restoreConfirmation"_s); }));
    }
}

TEST_F(HistoryViewTest, AFailedRestoreShowsTheEnginesWordsAndChangesNothing)
{
    migrate();
    writeFile(home() / "tar", "#!/bin/sh\necho 'tar: the disk is on fire' >&2\nexit 2\n");
    fs::permissions(home() / "tar", fs::perms::owner_all);
    const BackupArchiver::ScopedPrograms brokenTar(home() / "tar");
    const auto before = snapshot(projects());
    const std::string history = readFile(MigrationAudit::historyFile());

    HistoryView& view = openHistory();
    restore(view, 0);
    QMessageBox* alert = failure(view);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), u"Restore failed"_s);
    EXPECT_TRUE(
        alert->informativeText().contains(u"could not be read back (the disk is on fire). Nothing was changed."_s))
        << "the engine's own words";
    EXPECT_FALSE(env->isScanning()) << "no rescan after a failure";
    ASSERT_EQ(rows(view), 1);
    EXPECT_TRUE(hasRestoreButton(view, 0)) << "the list is as it was";
    EXPECT_EQ(snapshot(projects()), before);
    EXPECT_EQ(readFile(MigrationAudit::historyFile()), history);

    button(*alert, u"restoreFailedOkButton"_s).click();
    EXPECT_TRUE(waitUntil([&] { return failure(view) == nullptr; }));
}

} // namespace
} // namespace threadhop::testing
