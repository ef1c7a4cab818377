#include "support/ui/IconThemes.h"
#include "support/ui/Palettes.h"
#include "support/ui/UiTest.h"
#include "theme/Symbols.h"
#include "theme/Theme.h"
#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/CopyButton.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/FocusIndicator.h"
#include "ui/widgets/OneLineText.h"
#include "ui/widgets/OpenInTerminalMenu.h"
#include "ui/widgets/RowPainter.h"
#include "ui/widgets/StatusDot.h"
#include "ui/widgets/WrappingText.h"

#include "core/util/platform/TerminalLauncher.h"

#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <set>

namespace threadhop::testing {
namespace {

/// Puts something of several kinds on the clipboard, runs `copy`, and returns whether only `text` is left there.
::testing::AssertionResult copiesExactly(const QString& text, const std::function<void()>& copy)
{
    auto* old = new QMimeData;
    old->setHtml(u"<b>old</b>"_s);
    old->setText(u"old"_s);
    old->setImageData(QImage(2, 2, QImage::Format_RGB32));
    QGuiApplication::clipboard()->setMimeData(old);
    copy();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->text() == text && !data->hasHtml() && !data->hasImage())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the clipboard holds " << (data ? data->text().toStdString() : "nothing");
}

TEST(SharedComponentsTest, ACommandBlockShowsItsCommandVerbatimAndItAndACopyButtonCopyExactlyTheirValue)
{
    for (const QString& command : {uR"(cd '/Users/a/it'\''s <b>here</b>' && claude --resume)"_s, QString()}) {
        const CommandBlock block(command);
        const auto* text = child<WrappingText>(block, u"commandText"_s);
        EXPECT_EQ(text->text(), command);
        EXPECT_FALSE(text->toHtml().contains(u"<b>here</b>"_s)) << "shown verbatim, never read as markup";
        EXPECT_TRUE(text->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
        auto* copy = child<QToolButton>(block, u"copyCommandButton"_s);
        EXPECT_EQ(copy->toolTip(), u"Copy this command"_s);
        EXPECT_TRUE(copiesExactly(command, [&] { copy->click(); })) << "even when empty";
    }

    CopyButton button(u"/Users/ana/site"_s, u"Copy this project's path"_s);
    EXPECT_TRUE(copiesExactly(u"/Users/ana/site"_s, [&] { button.click(); }));
    button.setValue({});
    EXPECT_FALSE(button.isEnabled()) << "nothing to copy";
}

TEST(SharedComponentsTest, CopyingAShortenedTextCopiesTheWholeOfIt)
{
    const QString path = u"/Users/ana/projects/clients/acme/backups/-Users-ana-site-20240501-093000.tar.gz"_s;
    ElidedLabel label(path, Qt::ElideMiddle);
    label.resize(120, label.sizeHint().height());
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&label));
    ASSERT_TRUE(label.text().contains(u"…"_s));
    label.setSelection(0, static_cast<int>(label.text().size()));
    label.setFocus();

    EXPECT_TRUE(copiesExactly(path, [&] { QTest::keyClick(&label, Qt::Key_C, Qt::ControlModifier); }));
    EXPECT_TRUE(copiesExactly(path, [&] {
        QTimer::singleShot(0, &label, [] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                menu->findChild<QAction*>(u"copyWholeText"_s)->trigger();
                menu->close();
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), label.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&label, &event);
    })) << "the context menu's Copy too";

    ElidedLabel escaped(u"/Users/ana/two\nlines"_s, Qt::ElideMiddle);
    escaped.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&escaped));
    EXPECT_EQ(escaped.text(), u"/Users/ana/two\\nlines"_s) << "on one line";
    escaped.setSelection(0, static_cast<int>(escaped.text().size()));
    escaped.setFocus();
    EXPECT_TRUE(copiesExactly(u"/Users/ana/two\nlines"_s, [&] {
        QTest::keyClick(&escaped, Qt::Key_C, Qt::ControlModifier);
    })) << "the copy keeps the line break";
}

TEST(OneLineTextTest, ControlCharactersAndBytesThatAreNotUtf8ReadAsEscapesAndTheRestAsItIs)
{
    const std::pair<std::string, QString> cases[]{
        {"/Users/ana/Café 🚀/a\\b", u"/Users/ana/Café 🚀/a\\b"_s},
        {"/a\nb\tc\rd\x01"
         "e\x1f\x7f",
         u"/a\\nb\\tc\\x0Dd\\x01e\\x1F\\x7F"_s},
        // NEL, and the line and paragraph separators, break lines as well.
        {"/a\u0085b\u2028c\u2029", u"/a\\u0085b\\u2028c\\u2029"_s},
        // Latin-1, a cut character at the end, an encoded surrogate, an overlong slash.
        {"/caf\xe9", u"/caf\\xE9"_s},
        {"/a\xc3", u"/a\\xC3"_s},
        {"/\xed\xa0\x80", u"/\\xED\\xA0\\x80"_s},
        {"/\xc0\xaf", u"/\\xC0\\xAF"_s},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(OneLineText::of(text), shown) << text;
}

TEST(SharedComponentsTest, AStatusDotIsPaintedInItsColourAtExactlyItsSize)
{
    StatusDot dot(Theme::broken(), 10);
    EXPECT_EQ(dot.minimumSize(), dot.maximumSize());
    EXPECT_EQ(dot.size(), QSize(10, 10));
    const QImage image = dot.grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2).rgb(), Theme::broken().rgb());
}

std::vector<Symbol> everySymbol()
{
    std::vector<Symbol> symbols;
    for (int value = 0; value <= static_cast<int>(Symbol::xmarkOctagonFill); ++value)
        symbols.push_back(static_cast<Symbol>(value));
    return symbols;
}

// The colors of a symbol's drawn pixels, ignoring the faint edges.
std::set<QRgb> drawnColors(const QIcon& icon)
{
    const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    std::set<QRgb> colors;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 200)
                colors.insert(image.pixel(x, y) | 0xff000000);
        }
    }
    return colors;
}

TEST(SharedComponentsTest, EverySymbolComesFromTheIconThemeInThePalettesTextColorSoThatItShowsOnADarkWindowToo)
{
    for (const QPalette& palette : {darkPalette(), lightPalette()}) {
        const ScopedPalette scoped(palette);
        const QColor text = palette.color(QPalette::WindowText);
        for (const Symbol symbol : everySymbol()) {
            // A misspelt theme name would fall back to a generic standard icon without anyone noticing.
            EXPECT_FALSE(Symbols::icon(symbol).name().isEmpty()) << "symbol " << int(symbol) << " is not in the theme";
            const auto colors = drawnColors(Symbols::icon(symbol));
            EXPECT_FALSE(colors.empty()) << "symbol " << int(symbol);
            // Within a rounding step of the text color, far from the window's.
            EXPECT_TRUE(std::all_of(colors.begin(), colors.end(),
                                    [&](QRgb color) {
                                        return std::abs(qGray(color) - qGray(text.rgb())) <= 3
                                            && FocusIndicator::distinct(QColor(color), palette.color(QPalette::Window));
                                    }))
                << "symbol " << int(symbol);
        }
    }
    const ScopedPalette dark(darkPalette());
    CopyButton copy(u"/p"_s, u"Copy"_s);
    copy.resize(24, 24);
    const QImage shown = copy.grab().toImage();
    const QColor background = shown.pixelColor(0, 0);
    bool visible = false;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x)
            visible = visible || FocusIndicator::distinct(shown.pixelColor(x, y), background);
    }
    EXPECT_TRUE(visible) << "the copy button's symbol stands out from its dark ground";
}

/// The clear pixels that no clear path leads to from the edge: what an outline, a ring or a cut-out
/// sign encloses, and what a filled disc or a sign drawn on an opaque ground has none of.
int enclosedPixels(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<bool> open(static_cast<std::size_t>(w * h)); // clear and reached from the edge
    std::vector<QPoint> next;
    const auto visit = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < w && y < h && qAlpha(image.pixel(x, y)) < 64 && !open[std::size_t(y * w + x)]) {
            open[std::size_t(y * w + x)] = true;
            next.push_back({x, y});
        }
    };
    for (int i = 0; i < w; ++i) {
        for (const QPoint edge : {QPoint(i, 0), QPoint(i, h - 1), QPoint(0, i), QPoint(w - 1, i)})
            visit(edge.x(), edge.y());
    }
    while (!next.empty()) {
        const QPoint p = next.back();
        next.pop_back();
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            visit(p.x() + step.x(), p.y() + step.y());
    }
    int enclosed = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            enclosed += qAlpha(image.pixel(x, y)) < 64 && !open[std::size_t(y * w + x)] ? 1 : 0;
    }
    return enclosed;
}

TEST(SharedComponentsTest, WithoutAnIconThemeEverySymbolIsAShapeOfItsOwnThatKeepsWhatItEncloses)
{
    const ScopedNoIconTheme noTheme;
    // Open strokes: an arc, chevrons, a branch, a clock's hands beside an open arc.
    const std::set<Symbol> open{Symbol::arrowClockwise, Symbol::arrowTriangleBranch, Symbol::chevronDown,
                                Symbol::chevronRight, Symbol::clockArrowCirclepath};
    std::vector<QImage> pictures;
    for (const Symbol symbol : everySymbol()) {
        const QImage image = Symbols::icon(symbol).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        const auto opaque = [&](int x, int y) { return qAlpha(image.pixel(x, y)) > 200; };
        const int right = image.width() - 1;
        const int bottom = image.height() - 1;
        EXPECT_FALSE(drawnColors(Symbols::icon(symbol)).empty()) << "symbol " << int(symbol) << " is blank";
        EXPECT_FALSE(opaque(0, 0) && opaque(right, 0) && opaque(0, bottom) && opaque(right, bottom))
            << "symbol " << int(symbol) << " is a filled square";

        // Large enough to tell a ring from a disc, and a "!" cut out of a triangle from a plain one.
        const QImage large =
            Symbols::tintedPixmap(symbol, 32, Qt::black).toImage().convertToFormat(QImage::Format_ARGB32);
        if (!open.contains(symbol)) {
            EXPECT_GT(enclosedPixels(large), 4) << "symbol " << int(symbol) << " lost its inner shape";
        }
        for (std::size_t other = 0; other < pictures.size(); ++other)
            EXPECT_NE(large, pictures[other]) << "symbols " << other << " and " << int(symbol) << " look the same";
        pictures.push_back(large);
    }
}

TEST(OpenInTerminalMenuTest, ITermAppearsOnlyWhereInstalledAndCopyCommandCopies)
{
    using Item = OpenInTerminalMenu::Item;
    EXPECT_EQ(OpenInTerminalMenu::items(false), (std::vector<Item>{Item::terminal, Item::divider, Item::copyCommand}));
    EXPECT_EQ(OpenInTerminalMenu::items(true),
              (std::vector<Item>{Item::terminal, Item::iTerm, Item::divider, Item::copyCommand}));

    const QString command = u"cd '/p' && claude --resume"_s;
    OpenInTerminalMenu menu(command, u"Resume in Terminal"_s, true);
    QStringList texts;
    for (QAction* action : menu.menu()->actions())
        texts << (action->isSeparator() ? u"—"_s : action->text());
    const QStringList expected = TerminalLauncher::iTermInstalled()
        ? QStringList{u"Terminal"_s, u"iTerm"_s, u"—"_s, u"Copy command"_s}
        : QStringList{u"Terminal"_s, u"—"_s, u"Copy command"_s};
    ASSERT_EQ(texts, expected);
    EXPECT_TRUE(copiesExactly(command, [&] { menu.menu()->actions().constLast()->trigger(); }));
    EXPECT_FALSE(OpenInTerminalMenu(command, u"Resume in Terminal"_s, false).isEnabled());
}

// Contrast ratio as the accessibility guidelines define it, with `color` laid over `background`.
double contrast(const QColor& color, const QColor& background)
{
    const auto luminance = [](double r, double g, double b) {
        const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
    };
    const double a = color.alphaF();
    const double front =
        luminance(a * color.redF() + (1 - a) * background.redF(), a * color.greenF() + (1 - a) * background.greenF(),
                  a * color.blueF() + (1 - a) * background.blueF());
    const double back = luminance(background.redF(), background.greenF(), background.blueF());
    return (std::max(front, back) + 0.05) / (std::min(front, back) + 0.05);
}

TEST(RowPainterTest, OnASelectedRowSecondaryTextsAndGreyDotsReadAsWellAsTheTitle)
{
    QStyleOptionViewItem option;
    option.palette = QApplication::palette();
    option.state = QStyle::State_Enabled | QStyle::State_Selected;
    const QColor selection = option.palette.color(QPalette::Highlight);
    const double title = contrast(RowPainter::primaryText(option), selection);
    ASSERT_GE(title, 3.0);
    EXPECT_DOUBLE_EQ(contrast(RowPainter::secondaryText(option), selection), title);
    EXPECT_DOUBLE_EQ(contrast(RowPainter::tertiaryText(option), selection), title);
    EXPECT_DOUBLE_EQ(contrast(RowPainter::dotColor(option, Theme::unknown()), selection), title);
    for (const QColor& status : {Theme::ok(), Theme::warn(), Theme::broken()})
        EXPECT_EQ(RowPainter::dotColor(option, status), status) << "a status color keeps its meaning";

    option.state = QStyle::State_Enabled;
    const QColor base = option.palette.color(QPalette::Base);
    EXPECT_EQ(RowPainter::dotColor(option, Theme::unknown()), Theme::unknown());
    EXPECT_LT(contrast(RowPainter::secondaryText(option), base), contrast(RowPainter::primaryText(option), base))
        << "off the selection, secondary text stays fainter than the title";
}

} // namespace
} // namespace threadhop::testing
