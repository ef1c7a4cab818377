#include "FocusRing.h"

#include "FocusIndicator.h"

#include <QEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace threadhop {
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
    // Over the list's background and its selected row.
    const QPalette& colors = m_target.palette();
    FocusIndicator::paint(
        painter, rect(),
        FocusIndicator::color(colors, {colors.color(QPalette::Base), colors.color(QPalette::Highlight)}));
}

} // namespace threadhop
