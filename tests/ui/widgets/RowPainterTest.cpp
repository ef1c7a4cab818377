#include "ui/widgets/RowPainter.h"
#include "theme/Theme.h"

#include <QApplication>

#include <cmath>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

// Contrast ratio as the accessibility guidelines define it, with `color` laid over `background`.
double contrast(const QColor& color, const QColor& background)
{
    const auto luminance = [](double r, double g, double b) {
        const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
    };
    const double a = color.alphaF();
    const double front = luminance(a * color.redF() + (1 - a) * background.redF(),
        a * color.greenF() + (1 - a) * background.greenF(), a * color.blueF() + (1 - a) * background.blueF());
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
} // namespace threadhop
