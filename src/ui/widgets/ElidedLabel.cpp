#include "ElidedLabel.h"

#include "Clipboard.h"
#include "Labels.h"
#include "OneLineText.h"
#include "QtText.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

using namespace Qt::StringLiterals;

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
    return {fontMetrics().horizontalAdvance(OneLineText::of(toStdString(m_fullText))), QLabel::sizeHint().height()};
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

void ElidedLabel::keyPressEvent(QKeyEvent* event)
{
    if (isElided() && hasSelectedText() && event->matches(QKeySequence::Copy)) {
        Clipboard::copy(m_fullText);
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ElidedLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    // The X11 selection takes what the mouse selected, which would be the shortened text.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (isElided() && hasSelectedText() && clipboard->supportsSelection())
        clipboard->setText(m_fullText, QClipboard::Selection);
}

void ElidedLabel::contextMenuEvent(QContextMenuEvent* event)
{
    if (!isElided()) {
        QLabel::contextMenuEvent(event);
        return;
    }
    // The label's own menu, whose Copy would take the shortened text.
    QMenu menu(this);
    QAction* copy = menu.addAction(u"&Copy"_s, this, [this] { Clipboard::copy(m_fullText); });
    copy->setObjectName(u"copyWholeText"_s);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(hasSelectedText());
    menu.addAction(u"Select All"_s, this, [this] { setSelection(0, static_cast<int>(text().size())); });
    menu.exec(event->globalPos());
}

void ElidedLabel::elide()
{
    const QString shown =
        fontMetrics().elidedText(OneLineText::of(toStdString(m_fullText)), m_mode, contentsRect().width());
    if (shown != text())
        setText(shown);
}

} // namespace threadhop
