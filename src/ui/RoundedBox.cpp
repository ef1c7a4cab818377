#include "RoundedBox.h"

#include <QPainter>

namespace threadhop {

RoundedBox::RoundedBox(qreal strength, QWidget* parent) : QWidget(parent), m_strength(strength)
{
}

void RoundedBox::paintEvent(QPaintEvent*)
{
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(static_cast<float>(0.10 * m_strength));
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}

} // namespace threadhop
