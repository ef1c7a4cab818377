#include "FocusIndicator.h"

#include <QPainter>

#include <cstdlib>

namespace threadhop {
namespace {

constexpr qreal ringWidth = 2;
constexpr qreal ringRadius = 4;
// The sum of the channel differences, out of 765, below which two colors read as one.
constexpr int leastDifference = 96;

} // namespace

bool FocusIndicator::distinct(const QColor& one, const QColor& other)
{
    const QColor a = one.toRgb();
    const QColor b = other.toRgb();
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue())
        >= leastDifference;
}

QColor FocusIndicator::color(const QPalette& palette, std::initializer_list<QColor> fills)
{
    const QColor background = palette.color(QPalette::Active, QPalette::Window);
    const auto standsApart = [&](const QColor& candidate) {
        if (!distinct(candidate, background))
            return false;
        for (const QColor& fill : fills) {
            if (!distinct(candidate, fill))
                return false;
        }
        return true;
    };
    const QColor selection = palette.color(QPalette::Active, QPalette::Highlight);
    return standsApart(selection) ? selection : palette.color(QPalette::Active, QPalette::WindowText);
}

void FocusIndicator::paint(QPainter& painter, const QRect& rect, const QColor& color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor opaque = color;
    opaque.setAlpha(255);
    painter.setPen(QPen(opaque, ringWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = ringWidth / 2;
    painter.drawRoundedRect(QRectF(rect).adjusted(inset, inset, -inset, -inset), ringRadius, ringRadius);
    painter.restore();
}

} // namespace threadhop
