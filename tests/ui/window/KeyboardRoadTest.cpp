// The window driven by the keyboard alone, as a user without a mouse drives it: real folder dialogs
// answered by keys, the sheet, and where the focus is after each of them.
#include "support/ui/IconThemes.h"
#include "support/ui/Palettes.h"
#include "support/ui/TranscriptWindowTest.h"
#include "ui/help/HelpContent.h"
#include "ui/help/HelpView.h"
#include "ui/history/HistoryView.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/FocusIndicator.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QSplitter>
#include <QTest>
#include <QTimer>

namespace threadhop::testing {
namespace {

/// Waits until `window` has the keyboard (a dialog counts as active as soon as its parent is).
bool hasKeyboard(QWidget* window)
{
    return window && waitUntil([&] { return QApplication::activeWindow() == window; });
}

QString focusName()
{
    QWidget* focused = QApplication::focusWidget();
    return focused ? focused->objectName() : u"(none)"_s;
}

/// Answers the folder dialog that the next key opens once it is shown, by its keys: Escape, or the
/// folder typed into its name field and Return. A dialog of the desktop's own (no Qt widgets to
/// type into) is answered through its interface instead.
void answerFolderDialog(std::optional<QString> folder)
{
    QTimer::singleShot(0, [folder] {
        QFileDialog* dialog = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* found = qobject_cast<QFileDialog*>(window); found && found->isModal())
                    dialog = found;
            }
            return dialog != nullptr;
        }));
        auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
        if (!name || !name->isVisible()) {
            if (!folder)
                return dialog->reject();
            dialog->selectFile(*folder);
            // The desktop's dialog takes the selection in its own time, and its accept() would judge
            // what it had before.
            waitUntil([&] { return dialog->selectedFiles().contains(*folder); });
            return static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        }
        if (!hasKeyboard(dialog)) {
            ADD_FAILURE() << "the dialog never had the keyboard";
            return dialog->reject();
        }
        if (!folder)
            return QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        name->setFocus(Qt::TabFocusReason);
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(name, *folder);
        QTest::keyClick(name, Qt::Key_Return);
    });
}

/// Whether `control` shows that it has the focus: of `area` (by default the control and a little
/// around it, in its window), a ring's worth of pixels changes when it loses the focus; a caret is not.
bool showsFocus(QWidget& control, std::optional<QRect> area = std::nullopt)
{
    QWidget& window = *control.window();
    const QRect shown =
        area.value_or(QRect(control.mapTo(&window, QPoint()), control.size()).adjusted(-3, -3, 3, 3)) & window.rect();
    const QImage focused = window.grab(shown).toImage();
    control.clearFocus();
    const QImage unfocused = window.grab(shown).toImage();
    control.setFocus(Qt::TabFocusReason);
    int changed = 0;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x)
            changed += FocusIndicator::distinct(focused.pixelColor(x, y), unfocused.pixelColor(x, y)) ? 1 : 0;
    }
    return changed >= shown.width() + shown.height();
}

/// Whether `next` comes after `previous` as text is read: on a lower line, or further right on the same one.
bool readsAfter(const QRect& previous, const QRect& next)
{
    return next.center().y() > previous.bottom()
        || (next.left() >= previous.right() && next.top() <= previous.bottom());
}

class KeyboardRoadTest : public TranscriptWindowTest {
protected:
    void SetUp() override
    {
        TranscriptWindowTest::SetUp();
        detail().setFolderChooser(FolderChooser::askWithDialog);
        // The side columns at their least, so that the whole detail column is on the test's small screen.
        child<QSplitter>(*window, u"columns"_s)->setSizes({220, 300, window->width() - 520});
        windowBack();
    }

    void TearDown() override
    {
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
        TranscriptWindowTest::TearDown();
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    /// Tabs on from the focused control to the one named `name`; false when Tab never gets there.
    bool tabTo(const QString& name)
    {
        for (int stop = 0; stop < 30 && focusName() != name; ++stop)
            press(Qt::Key_Tab);
        return focusName() == name;
    }

    /// From the toolbar, on to the projects list and down to the project recorded in `cwd`.
    void chooseProject(const std::string& cwd)
    {
        child<QWidget>(*window, u"historyActionButton"_s)->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(tabTo(u"projectsList"_s));
        const int row = listModel().rowOf(idOf(CwdCodec::encode(cwd)));
        ASSERT_GE(row, 0);
        press(Qt::Key_End);
        press(Qt::Key_Home);
        for (int down = 0; down < row; ++down)
            press(Qt::Key_Down);
        ASSERT_EQ(env->selectedProjectId(), idOf(CwdCodec::encode(cwd)));
    }

    /// Presses "Migrate conversations…" of the project whose directory moved, and waits for the sheet's preview.
    QPointer<MigrationSheet> openSheet()
    {
        chooseProject(fixture->movedCwd);
        EXPECT_TRUE(tabTo(u"migrateButton"_s));
        press(Qt::Key_Space);
        QPointer<MigrationSheet> shown = sheet();
        EXPECT_TRUE(shown && hasKeyboard(shown) && waitUntil([&] { return shown->preview().has_value(); }));
        return shown;
    }

    /// What a window manager does once a dialog over the window has closed.
    void windowBack()
    {
        window->activateWindow();
        ASSERT_TRUE(hasKeyboard(window.get()));
    }
};

TEST_F(KeyboardRoadTest, AFolderDialogAnsweredOrCancelledGivesTheFocusBackToTheButtonThatOpenedIt)
{
    const QString elsewhere = QString::fromStdString((home() / "code" / "api").string());
    for (const bool qtDialog : {true, false}) {
        for (const bool iconTheme : {true, false}) {
            SCOPED_TRACE(std::string(qtDialog ? "Qt's dialog" : "the platform's dialog")
                         + (iconTheme ? "" : ", no icon theme"));
            QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, qtDialog);
            std::optional<ScopedNoIconTheme> noTheme;
            if (!iconTheme)
                noTheme.emplace();

            chooseProject(fixture->oldAppCwd);
            ASSERT_TRUE(tabTo(u"chooseManuallyButton"_s));
            for (const auto& answer : {std::optional<QString>(), std::optional(elsewhere)}) {
                answerFolderDialog(answer);
                press(Qt::Key_Space);
                windowBack();
                EXPECT_EQ(focusName(), u"chooseManuallyButton"_s) << (answer ? "chosen" : "cancelled");
            }
            EXPECT_EQ(child<ElidedLabel>(*window, u"chosenPath"_s)->fullText(), elsewhere);

            chooseProject(fixture->readyCwd);
            ASSERT_TRUE(tabTo(u"moveToButton"_s));
            answerFolderDialog(std::nullopt);
            press(Qt::Key_Space);
            windowBack();
            EXPECT_EQ(focusName(), u"moveToButton"_s) << "cancelled";
            answerFolderDialog(elsewhere);
            press(Qt::Key_Space);
            QPointer<MigrationSheet> shown = sheet();
            ASSERT_TRUE(shown && hasKeyboard(shown));
            press(Qt::Key_Escape);
            ASSERT_TRUE(waitUntil([&] { return shown.isNull(); }));
            windowBack();
            EXPECT_EQ(focusName(), u"moveToButton"_s) << "after the sheet it led to";
        }
    }
}

TEST_F(KeyboardRoadTest, TheSheetShowsTheFocusAndAfterItTheFocusIsWhereTheRunStartedOrOnTheRepairedProjectsRow)
{
    const auto run = [&](bool dryRun) {
        QPointer<MigrationSheet> shown = openSheet();
        ASSERT_TRUE(shown);
        for (const auto& name : {u"sheetContent"_s, u"dryRunToggle"_s}) {
            ASSERT_TRUE(tabTo(name));
            EXPECT_TRUE(showsFocus(*QApplication::focusWidget())) << name.toStdString();
        }
        if (dryRun)
            press(Qt::Key_Space);
        ASSERT_TRUE(tabTo(u"primaryButton"_s));
        press(Qt::Key_Space);
        ASSERT_TRUE(waitUntil([&] { return stageOf(shown->phase()) == SheetStage::finished; }, 60'000));
        ASSERT_EQ(focusName(), u"closeButton"_s) << "the run's button is gone; Close comes next";
        EXPECT_TRUE(showsFocus(*QApplication::focusWidget()));
        press(Qt::Key_Space);
        ASSERT_TRUE(waitUntil([&] { return shown.isNull() && !env->isScanning(); }));
        windowBack();
    };

    run(true);
    EXPECT_EQ(focusName(), u"migrateButton"_s) << "a dry run leaves the project as it was";

    run(false);
    const std::string repaired = idOf(CwdCodec::encode(fixture->movedSuggestion));
    auto* projects = child<QListView>(*window, u"projectsList"_s);
    EXPECT_EQ(QApplication::focusWidget(), projects) << "the migrate button went with the broken project";
    EXPECT_EQ(projects->currentIndex().row(), listModel().rowOf(repaired));
    press(Qt::Key_Down);
    EXPECT_EQ(env->selectedProjectId(), repaired) << "the first arrow chooses the row the focus is on";
}

TEST_F(KeyboardRoadTest, EveryTabStopShowsItsFocusInLightAndDarkAndTabVisitsTheDetailAsItIsDrawn)
{
    for (const QPalette& palette : {lightPalette(), darkPalette()}) {
        const ScopedPalette scoped(palette);
        const bool dark = palette == darkPalette();
        for (const auto& cwd : {fixture->readyCwd, fixture->oldAppCwd}) {
            SCOPED_TRACE(cwd + (dark ? ", dark" : ""));
            chooseProject(cwd);
            QWidget* first = QApplication::focusWidget();
            std::optional<QRect> previousInPage;
            QStringList stops;
            do {
                QWidget& focused = *QApplication::focusWidget();
                stops.append(focused.objectName());
                EXPECT_TRUE(showsFocus(focused)) << focused.objectName().toStdString();
                if (child<QWidget>(*window, u"detailPage"_s)->isAncestorOf(&focused)) {
                    const QRect drawn(focused.mapTo(window.get(), QPoint()), focused.size());
                    if (previousInPage) {
                        EXPECT_TRUE(readsAfter(*previousInPage, drawn)) << focused.objectName().toStdString();
                    }
                    previousInPage = drawn;
                }
                press(Qt::Key_Tab);
            } while (QApplication::focusWidget() != first && stops.size() < 40);
            EXPECT_TRUE(stops.contains(u"searchField"_s) && stops.contains(u"detailScroll"_s)
                        && stops.contains(u"moveToButton"_s))
                << stops.join(u' ').toStdString();
        }
    }
}

TEST_F(KeyboardRoadTest, AHistoryRowWithoutRestoreAndTheHelpShowWhereTheKeyboardIs)
{
    // Records that no Restore can undo: of an account that is not here.
    for (int i = 0; i < 2; ++i)
        MigrationAudit::append(
            {.id = Uuid::random(), .timestamp = std::chrono::system_clock::now(), .accountId = "gone"});
    child<QWidget>(*window, u"historyActionButton"_s)->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    HistoryView* history = window->historyWindow();
    ASSERT_TRUE(history && hasKeyboard(history) && tabTo(u"historyList"_s));
    auto* rows = child<QListView>(*history, u"historyList"_s);
    press(Qt::Key_Down);
    const QRect row = rows->visualRect(rows->currentIndex());
    EXPECT_TRUE(showsFocus(*rows, QRect(rows->viewport()->mapTo(history, row.topLeft()), row.size())));
    history->close();

    HelpView help(HelpContent::all(u"https://example.com"_s));
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    help.setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(showsFocus(help));
}

} // namespace
} // namespace threadhop::testing
