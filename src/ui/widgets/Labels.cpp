#include "Labels.h"

#include "theme/Theme.h"

#include <QLabel>

namespace threadhop {

QLabel* Labels::plain(const QString& text, const QFont& font, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

QLabel* Labels::secondary(QLabel* label)
{
    Theme::setTextColor(*label, Theme::secondaryText(label->palette()));
    return label;
}

QLabel* Labels::wrapping(QLabel* label)
{
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* Labels::selectable(QLabel* label)
{
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Read-only text is no stop of the Tab key; a click still gives it the focus, for the copy keys.
    label->setFocusPolicy(Qt::ClickFocus);
    return label;
}

} // namespace threadhop
