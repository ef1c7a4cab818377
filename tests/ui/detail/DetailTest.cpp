#include "support/ui/DrawnText.h"
#include "support/ui/TranscriptWindowTest.h"
#include "theme/Theme.h"
#include "ui/detail/DetailPresenter.h"
#include "ui/detail/DetailState.h"
#include "ui/detail/FolderChooser.h"
#include "ui/detail/SuggestionRow.h"
#include "ui/projects/ProjectRowPresenter.h"
#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/CopyButton.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/WrappingText.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QTextEdit>
#include <QtTest/qtestspontaneevent.h>

namespace threadhop::testing {
namespace {

using Panel = DetailPresenter::Panel;
using Row = DetailPresenter::InfoRow;

ProjectFolder project(ResumeStatus status, std::optional<std::string> cwd = "/Users/ana/site")
{
    return {.id = "claude:-Users-ana-site",
            .accountId = "claude",
            .folderName = "-Users-ana-site",
            .actualCwd = std::move(cwd),
            .sessionCount = 12,
            .subagentCount = 3,
            .totalSizeBytes = 2'700'000,
            .status = status};
}

// The labels show in the window below, status by status.
TEST(DetailPresenterTest, StatusColorAndPanel)
{
    const std::tuple<ResumeStatus, QColor, Panel> cases[]{
        {ResumeStatus::ok, Theme::ok(), Panel::resumeHint},
        {ResumeStatus::cwdMismatch, Theme::warn(), Panel::migration},
        {ResumeStatus::targetMissing, Theme::broken(), Panel::migration},
        {ResumeStatus::ephemeralLocation, Theme::unknown(), Panel::temporaryLocation},
        {ResumeStatus::noCwdRecorded, Theme::unknown(), Panel::resumeHint},
    };
    for (const auto& [status, color, panel] : cases) {
        EXPECT_EQ(ProjectRowPresenter::statusColor(status), color) << static_cast<int>(status);
        EXPECT_EQ(DetailPresenter::panelFor(status), panel) << static_cast<int>(status);
    }
}

TEST(DetailPresenterTest, InformationRowsAndTheResumeCommandWithItsAlias)
{
    const auto size = ProjectRowPresenter::size(2'700'000);
    EXPECT_EQ(DetailPresenter::infoRows(project(ResumeStatus::ok)),
              (std::vector<Row>{{u"Account"_s, u"claude"_s, std::nullopt},
                                {u"Folder"_s, u"-Users-ana-site"_s, Row::Copy{u"Copy Folder"_s, u"-Users-ana-site"_s}},
                                {u"cwd (transcript)"_s, u"/Users/ana/site"_s,
                                 Row::Copy{u"Copy cwd (transcript)"_s, u"/Users/ana/site"_s}},
                                {u"Sessions"_s, u"12"_s, std::nullopt},
                                {u"Subagents"_s, u"3"_s, std::nullopt},
                                {u"Size"_s, size, std::nullopt}}));
    EXPECT_EQ(DetailPresenter::infoRows(project(ResumeStatus::noCwdRecorded, std::nullopt))[2],
              (Row{u"cwd (transcript)"_s, u"—"_s, std::nullopt}));

    const std::vector<ClaudeAccount> accounts{{.id = "claude", .alias = "claude-work", .aliasIsSimple = true}};
    EXPECT_EQ(DetailPresenter::resumeCommand(project(ResumeStatus::ok), accounts),
              u"cd '/Users/ana/site' && claude-work --resume"_s);
    EXPECT_EQ(DetailPresenter::resumeCommand(project(ResumeStatus::noCwdRecorded, ""), {}),
              u"cd '' && claude --resume"_s);
}

class DetailPathTest : public HomeTest { };

TEST_F(DetailPathTest, TheActionBarNeedsADirectoryAndTheFolderDialogOpensAtTheNearestFolderAboveItElseAtHome)
{
    std::filesystem::create_directories(home() / "code" / "site");
    writeFile(home() / "file", "x");
    const std::string code = (home() / "code").string();
    // A missing or unrecorded directory is walked through the window below.
    const std::pair<std::optional<std::string>, bool> exist[]{
        {code, true}, {(home() / "file").string(), false}, {"", false}};
    for (const auto& [cwd, exists] : exist)
        EXPECT_EQ(DetailPresenter::pathExists(project(ResumeStatus::ok, cwd)), exists) << cwd.value_or("(absent)");

    const std::pair<std::optional<std::string>, std::string> starts[]{
        {code + "/gone/deeper/app", code}, // missing folders are passed over
        {code + "/site/./x/../app/", code + "/site"},
        {std::nullopt, home().string()},
        {"relative/app", home().string()},
        // Recorded on another machine: nothing above it here but the root, which is no neighbour.
        {"/nonexistent-threadhop-fixture/someone/app", home().string()}};
    for (const auto& [cwd, start] : starts)
        EXPECT_EQ(FolderChooser::startFolder(cwd).toStdString(), start) << cwd.value_or("(none)");
}

TEST(DetailStateTest, ChoosingADestination)
{
    DetailState state{.actionNote = u"earlier"_s};
    int asked = 0;
    const auto answer = [&](std::optional<std::string> folder) {
        return [&asked, folder] {
            ++asked;
            return folder;
        };
    };
    EXPECT_EQ(state.chooseDestination(project(ResumeStatus::ok, ""), answer("/x")), std::nullopt);
    EXPECT_EQ(asked, 0) << "no folder is asked for without a recorded directory";
    EXPECT_EQ(state.actionNote, std::nullopt);

    EXPECT_EQ(state.chooseDestination(project(ResumeStatus::ok), answer(std::nullopt)), std::nullopt);
    EXPECT_EQ(state, (DetailState{}));

    const auto first = state.chooseDestination(project(ResumeStatus::ok), answer("/Users/ana/new"));
    ASSERT_TRUE(first);
    EXPECT_EQ(state, (DetailState{.chosenNewPath = "/Users/ana/new"}));
    EXPECT_EQ(*first, (MoveRequest{first->id, project(ResumeStatus::ok), "/Users/ana/site", "/Users/ana/new"}));
    EXPECT_NE(state.requestMove(project(ResumeStatus::ok), "/Users/ana/new")->id, first->id) << "a new id each time";

    EXPECT_EQ(state.requestMove(project(ResumeStatus::targetMissing), ""), std::nullopt);
    EXPECT_EQ(state.actionNote, u"Choose a destination folder first."_s);
    EXPECT_EQ(state.requestMove(project(ResumeStatus::targetMissing, ""), "/x"), std::nullopt);
}

// The detail column of the window over real transcripts of every status.
class ProjectDetailViewTest : public TranscriptWindowTest {
protected:
    bool shows(const QString& name) { return testing::shows(*window, name); }
    QString text(const QString& name) { return child<WrappingText>(*window, name)->text(); }
    std::vector<Symbol> markers()
    {
        std::vector<Symbol> result;
        for (const auto* row : window->findChildren<SuggestionRow*>())
            result.push_back(row->marker());
        return result;
    }
    QString chosenPath() { return child<ElidedLabel>(*window, u"chosenPath"_s)->fullText(); }
    QPushButton& button(const QString& name) { return testing::button(*window, name); }
    static QString q(const std::string& text) { return QString::fromStdString(text); }
};

TEST_F(ProjectDetailViewTest, EachStatusShowsItsOnePanelAndTheActionBarOnlyOverAnExistingDirectory)
{
    EXPECT_EQ(child<EmptyStateView>(*window, u"detailPlaceholder"_s)->title(), u"Select a project"_s);
    const auto command = [](const std::string& cwd) { return u"cd '"_s + q(cwd) + u"' && claude --resume"_s; };
    // folder, title, status label, panel, action bar, resume command
    const std::tuple<std::string, QString, QString, QString, bool, std::optional<QString>> cases[]{
        {CwdCodec::encode(fixture->readyCwd), q(fixture->readyCwd), u"Resume OK"_s, u"resumeHint"_s, true,
         command(fixture->readyCwd)},
        {CwdCodec::encode(fixture->oldAppCwd), q(fixture->renamedAppCwd), u"Folder mismatch"_s, u"migrationPanel"_s,
         true, std::nullopt},
        {CwdCodec::encode(fixture->movedCwd), q(fixture->movedCwd), u"Location missing"_s, u"migrationPanel"_s, false,
         std::nullopt},
        {CwdCodec::encode(fixture->temporaryCwd), q(fixture->temporaryCwd), u"Temporary location, gone for good"_s,
         u"temporaryLocationPanel"_s, false, std::nullopt},
        {TranscriptHome::noCwdFolder, u"/Users/ana/notes"_s, u"No working directory recorded"_s, u"resumeHint"_s, false,
         std::nullopt},
    };
    for (const auto& [folder, title, label, shownPanel, actionBar, resume] : cases) {
        env->setSelectedProjectId(idOf(folder));
        EXPECT_FALSE(shows(u"detailPlaceholder"_s));
        EXPECT_EQ(text(u"detailTitle"_s), title);
        EXPECT_EQ(child<QLabel>(*window, u"statusLabel"_s)->text(), label);
        for (const auto& name : {u"resumeHint"_s, u"migrationPanel"_s, u"temporaryLocationPanel"_s})
            EXPECT_EQ(shows(name), name == shownPanel) << folder << " " << name.toStdString();
        EXPECT_EQ(shows(u"detailActionBar"_s), actionBar) << folder;
        EXPECT_EQ(shows(u"openInTerminalMenu"_s), resume.has_value()) << folder;
        if (resume) {
            EXPECT_EQ(text(u"resumeCommand"_s), *resume);
            button(u"copyResumeButton"_s).click();
            EXPECT_EQ(QGuiApplication::clipboard()->text(), *resume);
        }
    }
    EXPECT_FALSE(child<CopyButton>(*window, u"copyPathButton"_s)->isEnabled()) << "no recorded directory to copy";

    select(fixture->temporaryCwd);
    EXPECT_EQ(child<CommandBlock>(*child<QWidget>(*window, u"temporaryLocationPanel"_s), u"commandBlock"_s)->command(),
              q(fixture->temporaryCwd));
    EXPECT_TRUE(child<QLabel>(*window, u"temporaryExplanation"_s)
                    ->text()
                    .contains(u"a directory the system creates to throw"_s));
}

TEST_F(ProjectDetailViewTest, SuggestionsAreChosenByAClickALoneOneAtOnceAndOthersByHandUntilTheViewStartsOver)
{
    // The migration road moves this project to its one suggestion, chosen at once.
    select(fixture->movedCwd);
    EXPECT_EQ(markers(), std::vector{Symbol::largecircleFillCircle});

    select(fixture->oldAppCwd);
    EXPECT_TRUE(markers().empty()) << "suggestions are only searched for a missing directory";
    EXPECT_EQ(child<QLabel>(*window, u"noSuggestion"_s)->text(), u"No automatic suggestion — pick one manually."_s);
    EXPECT_FALSE(button(u"migrateButton"_s).isEnabled());
    const QString chosen = q((home() / "code" / "site").string());
    answer = q((home() / "code" / "x" / ".." / "." / "site").string()) + u"/"_s;
    button(u"chooseManuallyButton"_s).click();
    const QString code = q((home() / "code").string());
    EXPECT_EQ(asked,
              (std::vector<FolderChooser::Question>{{u"Choose"_s, u"Choose where this project lives now."_s, code}}))
        << "the dialog opens beside the recorded directory";
    EXPECT_EQ(chosenPath(), chosen) << "a manual choice is standardised";
    EXPECT_TRUE(button(u"migrateButton"_s).isEnabled());
    answer.reset();
    button(u"chooseManuallyButton"_s).click();
    EXPECT_EQ(chosenPath(), chosen) << "a cancelled choice changes nothing";
    EXPECT_EQ(sheet(), nullptr) << "choosing manually presents nothing";

    select(fixture->lostCwd);
    EXPECT_EQ(markers(), (std::vector{Symbol::circle, Symbol::circle}));
    EXPECT_FALSE(button(u"migrateButton"_s).isEnabled()) << "nothing is chosen among two";
    for (int click = 0; click < 2; ++click) {
        auto* second = window->findChildren<SuggestionRow*>()[1];
        // The row's empty end reacts too; a second click on the same row changes nothing.
        QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(second->width() - 2, second->height() / 2));
        EXPECT_EQ(markers(), (std::vector{Symbol::circle, Symbol::largecircleFillCircle}));
        EXPECT_TRUE(button(u"migrateButton"_s).isEnabled());
    }

    env->scan();
    waitForScan(*env);
    EXPECT_EQ(markers()[1], Symbol::largecircleFillCircle) << "a rescan keeps the shown project's choice";
    // Restoring a minimised window shows its widgets again, as the window system's own events.
    for (QEvent::Type type : {QEvent::Hide, QEvent::Show}) {
        QEvent event(type);
        QSpontaneKeyEvent::setSpontaneous(&event);
        QApplication::instance()->notify(&detail(), &event);
    }
    EXPECT_EQ(markers()[1], Symbol::largecircleFillCircle) << "and so does the window coming back from the task bar";
    detail().hide();
    detail().show();
    EXPECT_EQ(markers()[1], Symbol::circle) << "showing the view again starts over";
    QTest::mouseClick(window->findChildren<SuggestionRow*>()[1], Qt::LeftButton);
    select(fixture->readyCwd);
    select(fixture->lostCwd);
    EXPECT_EQ(markers()[1], Symbol::circle) << "and so does selecting the project again";
}

bool isReadOnlyText(const QWidget* widget)
{
    if (qobject_cast<const QLabel*>(widget))
        return true;
    const auto* edit = qobject_cast<const QTextEdit*>(widget);
    return edit && edit->isReadOnly();
}

TEST_F(ProjectDetailViewTest, TabStopsAtEveryControlOnceAndAtNoReadOnlyTextAndTheArrowsPickASuggestion)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    select(fixture->lostCwd);
    QWidget* start = child<QWidget>(*window, u"historyActionButton"_s);
    start->setFocus(Qt::TabFocusReason);
    QStringList stops;
    do {
        QWidget* focused = QApplication::focusWidget();
        stops.append(focused->objectName());
        EXPECT_FALSE(isReadOnlyText(focused)) << focused->objectName().toStdString();
        QTest::keyClick(focused, Qt::Key_Tab);
    } while (QApplication::focusWidget() != start && stops.size() < 40);
    EXPECT_EQ(stops,
              (QStringList{u"historyActionButton"_s, u"rescanActionButton"_s, u"accountsList"_s, u"searchField"_s,
                           u"problemsOnlyToggle"_s, u"projectsList"_s, u"detailScroll"_s, u"copyPathButton"_s,
                           u"infoCopyButton"_s, u"infoCopyButton"_s, u"suggestionRow"_s, u"chooseManuallyButton"_s}))
        << "one stop for the two suggestions; the migrate button is disabled until one is chosen";

    const auto focusedRow = [] { return qobject_cast<SuggestionRow*>(QApplication::focusWidget()); };
    button(u"chooseManuallyButton"_s).setFocus(Qt::TabFocusReason);
    QTest::keyClick(&button(u"chooseManuallyButton"_s), Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_NE(focusedRow(), nullptr);
    QTest::keyClick(focusedRow(), Qt::Key_Down);
    EXPECT_EQ(markers(), (std::vector{Symbol::circle, Symbol::largecircleFillCircle})) << "the arrow picks";
    ASSERT_NE(focusedRow(), nullptr);
    EXPECT_EQ(focusedRow()->path(), q((home() / "code" / "api").string())) << "and the focus moves with the pick";
    EXPECT_TRUE(button(u"migrateButton"_s).isEnabled());
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(sheet(), nullptr) << "a pick does nothing else, as a click";
    QTest::keyClick(focusedRow(), Qt::Key_Down);
    EXPECT_EQ(markers()[1], Symbol::largecircleFillCircle) << "the last row stays chosen";
    QTest::keyClick(focusedRow(), Qt::Key_Up);
    EXPECT_EQ(markers(), (std::vector{Symbol::largecircleFillCircle, Symbol::circle}));

    QTest::keyClick(focusedRow(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), u"chooseManuallyButton"_s) << "Tab leaves the group";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), u"migrateButton"_s);
}

// The detail column over made-up projects, at the window's smallest size.
class DetailColumnTest : public WindowTest { };

TEST_F(DetailColumnTest, ALongSuggestionIsCutAtItsHeadAndTheColumnStaysInsideTheWindow)
{
    const std::string name = "a-project-with-a-long-name-" + std::string(20, 'x');
    const std::string suggestion = (home() / "code" / name).string();
    std::filesystem::create_directories(suggestion);
    const ProjectFolder moved{.id = "claude:-gone",
                              .accountId = "claude",
                              .folderName = "-gone",
                              .actualCwd = "/nonexistent-threadhop-fixture/" + name,
                              .status = ResumeStatus::targetMissing};
    openScanned({account("claude")}, {{"claude", {moved}}});
    window->resize(RootView::minimumWindowSize);
    env->setSelectedProjectId(moved.id);
    QCoreApplication::processEvents();

    auto* row = child<SuggestionRow>(*window, u"suggestionRow"_s);
    QHelpEvent hover(QEvent::ToolTip, row->rect().center(), row->mapToGlobal(row->rect().center()));
    QApplication::sendEvent(row, &hover);
    ASSERT_NE(shownToolTip(), nullptr);
    EXPECT_EQ(drawnText(*shownToolTip()).text, QString::fromStdString(suggestion));
    EXPECT_TRUE(child<ElidedLabel>(*row, u"suggestionPath"_s)->text().startsWith(u"…"_s));
    auto* column = child<QWidget>(*window, u"projectDetailView"_s);
    EXPECT_LE(column->mapTo(window.get(), QPoint(column->width(), 0)).x(), window->width())
        << "the copy buttons and the scroll bar stay in view";
    EXPECT_EQ(window->size(), RootView::minimumWindowSize);
}

TEST_F(ProjectDetailViewTest, AFolderNameThatIsNotUtf8OrADirectoryWithControlCharactersIsShownOnOneLineAndCopiedAsItIs)
{
    // A folder named in Latin-1 by some other tool, recording a directory that exists: a mismatch.
    const std::string latin1 = "-home-ana-caf\xe9";
    writeFile(fixture->projects() / latin1 / "s.jsonl", cwdLine(fixture->readyCwd));
    const std::string broken = "/nonexistent-threadhop-fixture/two\nlines\tand a tab";
    writeFile(fixture->folderOf(broken) / "s.jsonl", cwdLine("/nonexistent-threadhop-fixture/two\\nlines\\tand a tab"));
    env->scan();
    waitForScan(*env);
    EXPECT_EQ(child<QLabel>(*window, u"toFixBadge"_s)->text(), u"5 to fix"_s);

    const QModelIndex row = listModel().index(listModel().rowOf(idOf(CwdCodec::encode(broken))));
    EXPECT_EQ(row.data(Qt::DisplayRole).toString(), u"/nonexistent-threadhop-fixture/two\\nlines\\tand a tab"_s);
    EXPECT_EQ(row.data(Qt::ToolTipRole).toString(), PlainText::toolTip(q(broken)));
    selectRow(CwdCodec::encode(broken));
    EXPECT_EQ(text(u"detailTitle"_s), u"/nonexistent-threadhop-fixture/two\\nlines\\tand a tab"_s);
    EXPECT_EQ(child<WrappingText>(*window, u"detailTitle"_s)->toolTip(), PlainText::toolTip(q(broken)));
    const auto copyButtons = window->findChildren<CopyButton*>(u"infoCopyButton"_s);
    ASSERT_EQ(copyButtons.size(), 2);
    copyButtons[1]->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), q(broken)) << "the copy keeps the line break and the tab";

    selectRow(latin1);
    EXPECT_FALSE(shows(u"detailPlaceholder"_s)) << "the row leads to its project";
    EXPECT_EQ(child<QLabel>(*window, u"statusLabel"_s)->text(), u"Folder mismatch"_s);
    const auto values = window->findChildren<WrappingText*>(u"infoValue"_s);
    EXPECT_TRUE(std::any_of(values.begin(), values.end(),
                            [](const WrappingText* value) { return value->text() == u"-home-ana-caf\\xE9"_s; }));
    answer = q((home() / "code" / "api").string());
    button(u"chooseManuallyButton"_s).click();
    button(u"migrateButton"_s).click();
    QPointer<MigrationSheet> shown = sheet();
    ASSERT_TRUE(shown && waitUntil([&] { return shown->preview().has_value(); }));
    EXPECT_TRUE(shown->preview()->blockedReason.value_or("").find("is not valid UTF-8 text") != std::string::npos)
        << shown->preview()->blockedReason.value_or("(none)");
    EXPECT_FALSE(testing::button(*shown, u"primaryButton"_s).isEnabled());
}

TEST_F(ProjectDetailViewTest, MoveToTheOwnFolderLeavesANoteAndAnotherFolderPresentsTheSheet)
{
    select(fixture->readyCwd);
    answer = q(fixture->readyCwd) + u"/."_s;
    button(u"moveToButton"_s).click();
    EXPECT_EQ(asked,
              (std::vector<FolderChooser::Question>{{u"Move Here"_s,
                                                     u"Choose the folder these conversations should belong to."_s,
                                                     q((home() / "code").string())}}));
    EXPECT_EQ(child<QLabel>(*window, u"actionNote"_s)->text(),
              u"That is already this project's folder — nothing to move."_s);
    EXPECT_EQ(sheet(), nullptr);

    const std::string elsewhere = (home() / "elsewhere").string();
    answer = q(elsewhere);
    button(u"moveToButton"_s).click();
    EXPECT_FALSE(shows(u"actionNote"_s));
    ASSERT_NE(sheet(), nullptr);
    EXPECT_TRUE(sheet()->isVisible());
    EXPECT_EQ(sheet()->windowModality(), Qt::WindowModal) << "the window waits while the sheet is open";
    EXPECT_EQ(child<WrappingText>(*sheet(), u"fromValue"_s)->text(), q(fixture->readyCwd));
    EXPECT_EQ(child<WrappingText>(*sheet(), u"toValue"_s)->text(), q(elsewhere));

    testing::button(*sheet(), u"cancelButton"_s).click();
    EXPECT_TRUE(waitUntil([&] { return sheet() == nullptr; })) << "a sheet is made for one request";
    EXPECT_FALSE(env->isScanning()) << "Cancel does not rescan";
}

} // namespace
} // namespace threadhop::testing
