#include "WrappingText.h"

#include <QTextDocument>

#include <cmath>
#include <memory>

namespace threadhop {

WrappingText::WrappingText(const QString& text, const QFont& font, QWidget* parent) : QTextEdit(parent)
{
    setFont(font);
    document()->setDefaultFont(font);
    document()->setDocumentMargin(0);
    setPlainText(text);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::ClickFocus); // as Labels::selectable: out of the Tab order
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setLineWrapMode(QTextEdit::WidgetWidth);
    QPalette transparent = palette();
    transparent.setColor(QPalette::Base, Qt::transparent);
    transparent.setColor(QPalette::Text, transparent.color(QPalette::WindowText));
    setPalette(transparent);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void WrappingText::setColor(const QColor& color)
{
    m_liveColor = nullptr;
    QPalette colored = palette();
    colored.setColor(QPalette::Text, color);
    setPalette(colored);
}

void WrappingText::setColor(std::function<QColor(const QPalette&)> color)
{
    m_liveColor = std::move(color);
    viewport()->update();
}

int WrappingText::heightForWidth(int width) const
{
    const std::unique_ptr<QTextDocument> measured(document()->clone());
    measured->setTextWidth(width);
    return static_cast<int>(std::ceil(measured->size().height()));
}

QSize WrappingText::sizeHint() const
{
    const std::unique_ptr<QTextDocument> measured(document()->clone());
    measured->setTextWidth(-1);
    const int width = static_cast<int>(std::ceil(measured->idealWidth())) + 1;
    return {width, heightForWidth(width)};
}

QSize WrappingText::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 4, fontMetrics().lineSpacing()};
}

void WrappingText::paintEvent(QPaintEvent* event)
{
    if (m_liveColor) {
        const QColor color = m_liveColor(parentWidget() ? parentWidget()->palette() : palette());
        if (palette().color(QPalette::Text) != color) {
            QPalette colored = palette();
            colored.setColor(QPalette::Text, color);
            setPalette(colored);
        }
    }
    QTextEdit::paintEvent(event);
}

void WrappingText::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    // The height that fits this width may differ from the one the layout guessed.
    if (heightForWidth(width()) != height())
        updateGeometry();
}

} // namespace threadhop
