#include "StatusDot.h"

#include <QPainter>

namespace threadhop {

StatusDot::StatusDot(QColor color, int size, QWidget* parent) : QWidget(parent), m_color(std::move(color))
{
    setFixedSize(size, size);
}

void StatusDot::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void StatusDot::paint(QPainter& painter, QPointF centre, const QColor& color, qreal size)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(centre, size / 2, size / 2);
    painter.restore();
}

void StatusDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, QRectF(rect()).center(), m_color, width());
}

} // namespace threadhop
