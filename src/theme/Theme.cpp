#include "Theme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace threadhop {
namespace {

QFont scaled(QFont font, double factor)
{
    font.setPointSizeF(std::max(7.0, font.pointSizeF() * factor));
    return font;
}

constexpr double captionScale = 0.85;

} // namespace

const QFont& Theme::captionMono()
{
    static const QFont font = [] {
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSizeF(caption().pointSizeF());
        return mono;
    }();
    return font;
}

// No toolkit-wide named status colours exist here; these are the usual light-appearance
// system green, orange, red and grey.
const QColor& Theme::accent()
{
    static const QColor colour = QColor::fromRgb(0xD9, 0x77, 0x57);
    return colour;
}

const QColor& Theme::ok()
{
    static const QColor colour = QColor::fromRgb(52, 199, 89);
    return colour;
}

const QColor& Theme::warn()
{
    static const QColor colour = QColor::fromRgb(255, 149, 0);
    return colour;
}

const QColor& Theme::broken()
{
    static const QColor colour = QColor::fromRgb(255, 59, 48);
    return colour;
}

const QColor& Theme::unknown()
{
    static const QColor colour = QColor::fromRgb(142, 142, 147);
    return colour;
}

QFont Theme::caption()
{
    return scaled(QApplication::font(), captionScale);
}

QFont Theme::caption2()
{
    return scaled(QApplication::font(), 0.78);
}

QFont Theme::callout()
{
    return scaled(QApplication::font(), 0.95);
}

QColor Theme::secondaryText(const QPalette& palette)
{
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(0.62f);
    return colour;
}

QColor Theme::tertiaryText(const QPalette& palette)
{
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(0.38f);
    return colour;
}

void Theme::setTextColour(QWidget& widget, const QColor& colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget.setPalette(palette);
}

} // namespace threadhop
