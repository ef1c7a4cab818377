// Every symbol must read as itself on a desktop without an icon theme, where the program's own
// shapes stand in for the theme's.
#include "theme/Symbols.h"
#include "support/ui/IconThemes.h"

#include <QImage>

#include <gtest/gtest.h>

#include <queue>
#include <set>

namespace threadhop::testing {
namespace {

constexpr int size = 32;

bool clear(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) < 64;
}

/// The clear pixels that no clear path leads to from the edge: what an outline, a ring or a cut-out
/// sign encloses, and what a filled disc or a sign drawn on an opaque ground has none of.
int enclosedPixels(const QImage& image)
{
    std::vector<bool> reached(std::size_t(image.width() * image.height()));
    std::queue<QPoint> next;
    const auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height() || !clear(image, x, y)
            || reached[std::size_t(y * image.width() + x)])
            return;
        reached[std::size_t(y * image.width() + x)] = true;
        next.push({x, y});
    };
    for (int i = 0; i < image.width(); ++i) {
        visit(i, 0);
        visit(i, image.height() - 1);
        visit(0, i);
        visit(image.width() - 1, i);
    }
    while (!next.empty()) {
        const QPoint p = next.front();
        next.pop();
        visit(p.x() + 1, p.y());
        visit(p.x() - 1, p.y());
        visit(p.x(), p.y() + 1);
        visit(p.x(), p.y() - 1);
    }
    int enclosed = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            enclosed += clear(image, x, y) && !reached[std::size_t(y * image.width() + x)] ? 1 : 0;
    }
    return enclosed;
}

TEST(SymbolsTest, WithoutAnIconThemeEverySymbolIsAShapeOfItsOwnThatKeepsWhatItEncloses)
{
    const ScopedNoIconTheme noTheme;
    // Open strokes: an arc, chevrons, a branch, a clock's hands beside an open arc.
    const std::set<Symbol> open{Symbol::arrowClockwise, Symbol::arrowTriangleBranch, Symbol::chevronDown,
                                Symbol::chevronRight, Symbol::clockArrowCirclepath};
    std::vector<QImage> pictures;
    for (int index = 0; index <= static_cast<int>(Symbol::xmarkOctagonFill); ++index) {
        const auto symbol = static_cast<Symbol>(index);
        const QImage picture =
            Symbols::tintedPixmap(symbol, size, Qt::black).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(picture.size(), QSize(size, size)) << index;
        if (!open.contains(symbol))
            EXPECT_GT(enclosedPixels(picture), 4) << "symbol " << index << " lost its inner shape";
        for (std::size_t other = 0; other < pictures.size(); ++other)
            EXPECT_NE(picture, pictures[other]) << "symbols " << other << " and " << index << " look the same";
        pictures.push_back(picture);
    }
}

} // namespace
} // namespace threadhop::testing
