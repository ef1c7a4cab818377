#include "Theme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace threadhop {
namespace {

double scaleOf(TextStyle style)
{
    switch (style) {
    case TextStyle::title2:
        return 1.3;
    case TextStyle::title3:
        return 1.15;
    case TextStyle::headline:
        return 1.0;
    case TextStyle::subheadline:
        return 0.9;
    case TextStyle::callout:
        return 0.95;
    case TextStyle::caption:
        return 0.85;
    case TextStyle::caption2:
        return 0.78;
    }
    return 1.0;
}

} // namespace

const QFont& Theme::captionMono()
{
    static const QFont font = [] {
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSizeF(Theme::font(TextStyle::caption).pointSizeF());
        return mono;
    }();
    return font;
}

// No toolkit-wide named status colors exist here; these are the usual light-appearance
// system green, orange, red and grey.
const QColor& Theme::accent()
{
    static const QColor color = QColor::fromRgb(0xD9, 0x77, 0x57);
    return color;
}

const QColor& Theme::ok()
{
    static const QColor color = QColor::fromRgb(52, 199, 89);
    return color;
}

const QColor& Theme::warn()
{
    static const QColor color = QColor::fromRgb(255, 149, 0);
    return color;
}

const QColor& Theme::broken()
{
    static const QColor color = QColor::fromRgb(255, 59, 48);
    return color;
}

const QColor& Theme::unknown()
{
    static const QColor color = QColor::fromRgb(142, 142, 147);
    return color;
}

QFont Theme::font(TextStyle style)
{
    return font(style, style == TextStyle::headline ? QFont::DemiBold : QFont::Normal);
}

QFont Theme::font(TextStyle style, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPointSizeF(std::max(7.0, font.pointSizeF() * scaleOf(style)));
    font.setWeight(weight);
    return font;
}

QColor Theme::secondaryText(const QPalette& palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.62f);
    return color;
}

QColor Theme::tertiaryText(const QPalette& palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.38f);
    return color;
}

void Theme::setTextColor(QWidget& widget, const QColor& color)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget.setPalette(palette);
}

} // namespace threadhop
