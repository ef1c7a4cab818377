#include "FocusRing.h"

#include <QEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

constexpr qreal ringWidth = 2;

} // namespace

FocusRing::FocusRing(QWidget& target) : QWidget(&target), m_target(target)
{
    setObjectName(u"focusRing"_s);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(target.rect());
    setVisible(target.hasFocus());
    target.installEventFilter(this);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_target) {
        switch (event->type()) {
        case QEvent::Resize:
            setGeometry(m_target.rect());
            break;
        case QEvent::FocusIn:
            show();
            raise();
            break;
        case QEvent::FocusOut:
            hide();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor color = palette().color(QPalette::Active, QPalette::Highlight);
    color.setAlphaF(0.8f);
    painter.setPen(QPen(color, ringWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = ringWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 3, 3);
}

} // namespace threadhop
