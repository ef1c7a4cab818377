// Keyboard focus must show on every control, in light and dark palettes alike: the ring stands
// apart from the control's fill and from the window around it.
#include "ui/widgets/FocusIndicator.h"
#include "support/ui/Palettes.h"
#include "support/ui/UiTest.h"
#include "ui/widgets/Buttons.h"
#include "ui/widgets/RowPainter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListView>
#include <QStringListModel>
#include <QTest>

namespace threadhop::testing {
namespace {

// Draws `control` without and with the keyboard focus, and expects a ring at `edge` that differs
// from the control's fill at `inside` and from the window's background.
void expectRing(QWidget& window, QWidget& control, QWidget& other, QPoint edge, QPoint inside, const char* name)
{
    other.setFocus(Qt::TabFocusReason);
    const QColor unfocused = control.grab().toImage().pixelColor(edge);
    control.setFocus(Qt::TabFocusReason);
    const QImage with = control.grab().toImage();
    const QColor ring = with.pixelColor(edge);
    const QColor background = window.grab().toImage().pixelColor(1, 1);
    EXPECT_TRUE(FocusIndicator::distinct(ring, unfocused)) << name << ": no ring drawn";
    EXPECT_TRUE(FocusIndicator::distinct(ring, with.pixelColor(inside))) << name << ": ring on the fill";
    EXPECT_TRUE(FocusIndicator::distinct(ring, background)) << name << ": ring on the window";
}

TEST(FocusIndicatorTest, TheRingStandsApartOnAProminentButtonTheDryRunBoxAndAListRowInLightAndDark)
{
    for (const QPalette& palette : {lightPalette(), darkPalette()}) {
        const ScopedPalette scoped(palette);
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        layout->setContentsMargins(12, 12, 12, 12);
        QPushButton* prominent = Buttons::prominent(u"Migrate conversations…"_s, Symbol::arrowRightDocOnClipboard);
        auto* dryRun = new QCheckBox(u"Dry run (simulate only, write nothing)"_s);
        auto* list = new QListView;
        QStringListModel rows(QStringList{u"-Users-ana-site"_s, u"-Users-ana-api"_s});
        list->setModel(&rows);
        RowPainter::prepareList(*list);
        list->selectionModel()->select(rows.index(0), QItemSelectionModel::ClearAndSelect);
        list->setFixedSize(200, 120);
        for (QWidget* control : std::initializer_list<QWidget*>{prominent, dryRun, list})
            layout->addWidget(control);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

        const bool dark = palette == darkPalette();
        const QPoint middle(1, prominent->height() / 2);
        expectRing(window, *prominent, *dryRun, middle, {prominent->width() - 5, middle.y()},
                   dark ? "prominent button, dark" : "prominent button");
        expectRing(window, *dryRun, *prominent, {1, dryRun->height() / 2}, {dryRun->width() - 3, 3},
                   dark ? "dry-run box, dark" : "dry-run box");
        const QPoint row = list->visualRect(rows.index(0)).center();
        expectRing(window, *list, *prominent, {1, row.y()}, row, dark ? "selected row, dark" : "selected row");
    }
}

} // namespace
} // namespace threadhop::testing
