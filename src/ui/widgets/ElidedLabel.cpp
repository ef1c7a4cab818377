#include "ElidedLabel.h"

#include "Labels.h"

#include <QEvent>

namespace threadhop {

ElidedLabel::ElidedLabel(QString fullText, Qt::TextElideMode mode, QWidget* parent)
    : QLabel(parent), m_fullText(std::move(fullText)), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    Labels::selectable(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    elide();
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_fullText), QLabel::sizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        elide();
}

void ElidedLabel::elide()
{
    const QString shown = fontMetrics().elidedText(m_fullText, m_mode, contentsRect().width());
    if (shown != text())
        setText(shown);
}

} // namespace threadhop
