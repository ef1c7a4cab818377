#include "RoundedBox.h"

#include <QPainter>

namespace threadhop {
namespace {

// The fourth level of the text color's hierarchy, the grey of boxes and wells.
constexpr qreal quaternaryAlpha = 0.10;

} // namespace

RoundedBox::RoundedBox(Look look, QWidget* parent) : QWidget(parent), m_look(std::move(look)) { }

QColor RoundedBox::fill(const Look& look, const QPalette& palette)
{
    QColor color = look.tint.value_or(palette.color(QPalette::WindowText));
    const qreal alpha = look.tint ? look.opacity : quaternaryAlpha * look.opacity;
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

void RoundedBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill(m_look, palette()));
    painter.drawRoundedRect(QRectF(rect()), m_look.radius, m_look.radius);
}

} // namespace threadhop
