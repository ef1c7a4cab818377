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

struct Ring {
    QColor ring;       ///< on the control's edge with the focus
    QColor unfocused;  ///< the same place without it
    QColor fill;       ///< inside the control
    QColor background; ///< the window beside it
};

// Draws `control` with and without the keyboard focus; `inside` is a point of its fill.
Ring ringOf(QWidget& window, QWidget& control, QWidget& other, QPoint inside)
{
    const QPoint edge(1, control.height() / 2);
    other.setFocus(Qt::TabFocusReason);
    const QImage without = control.grab().toImage();
    control.setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(control.hasFocus());
    const QImage with = control.grab().toImage();
    const QImage around = window.grab().toImage();
    return {with.pixelColor(edge), without.pixelColor(edge), with.pixelColor(inside), around.pixelColor(1, 1)};
}

void expectVisible(const Ring& shown, const char* control)
{
    EXPECT_TRUE(FocusIndicator::distinct(shown.ring, shown.unfocused)) << control << ": no ring drawn";
    EXPECT_TRUE(FocusIndicator::distinct(shown.ring, shown.fill))
        << control << ": ring " << shown.ring.name().toStdString() << " on fill " << shown.fill.name().toStdString();
    EXPECT_TRUE(FocusIndicator::distinct(shown.ring, shown.background))
        << control << ": ring " << shown.ring.name().toStdString() << " on window "
        << shown.background.name().toStdString();
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

        const char* name = palette == darkPalette() ? " (dark)" : " (light)";
        expectVisible(ringOf(window, *prominent, *dryRun, {prominent->width() - 5, prominent->height() / 2}),
                      (std::string("prominent button") + name).c_str());
        expectVisible(ringOf(window, *dryRun, *prominent, {dryRun->width() - 3, 3}),
                      (std::string("dry-run box") + name).c_str());
        const QRect firstRow = list->visualRect(rows.index(0));
        Ring row = ringOf(window, *list, *prominent, firstRow.center());
        row.ring = list->grab().toImage().pixelColor(1, firstRow.center().y());
        expectVisible(row, (std::string("selected list row") + name).c_str());
    }
}

} // namespace
} // namespace threadhop::testing
