#include "SuggestionRow.h"

#include "theme/Theme.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/FocusIndicator.h"
#include "ui/widgets/PlainText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace threadhop {

SuggestionRow::SuggestionRow(const QString& path, Symbol marker, bool tabStop, QWidget* parent)
    : QWidget(parent), m_path(path), m_marker(marker)
{
    setObjectName(u"suggestionRow"_s);
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    setToolTip(PlainText::toolTip(path));
    const QFont& font = Theme::captionMono();
    auto* icon = new QLabel(this);
    const int size = QFontMetrics(font).height();
    icon->setPixmap(Symbols::tintedPixmap(marker, size, Theme::accent()));
    auto* text = new ElidedLabel(path, Qt::ElideLeft, this);
    text->setObjectName(u"suggestionPath"_s);
    text->setFont(font);
    // The row takes the clicks, not the text.
    text->setTextInteractionFlags(Qt::NoTextInteraction);
    text->setFocusPolicy(Qt::NoFocus);
    text->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(6);
    layout->addWidget(icon, 0, Qt::AlignVCenter);
    layout->addWidget(text, 1);
}

void SuggestionRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(m_path);
}

void SuggestionRow::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        step = 1;
        break;
    case Qt::Key_Space:
        emit clicked(m_path);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    // The focus moves first: the panel is drawn anew for the choice and keeps the focus where it is.
    if (SuggestionRow* next = neighbour(step)) {
        next->setFocus(Qt::OtherFocusReason);
        emit next->clicked(next->path());
    }
}

void SuggestionRow::paintEvent(QPaintEvent*)
{
    if (!hasFocus())
        return;
    QPainter painter(this);
    FocusIndicator::paint(painter, rect(), FocusIndicator::color(palette(), {}));
}

SuggestionRow* SuggestionRow::neighbour(int step) const
{
    const auto rows = parentWidget()->findChildren<SuggestionRow*>(Qt::FindDirectChildrenOnly);
    const qsizetype index = rows.indexOf(this) + step;
    return index >= 0 && index < rows.size() ? rows[index] : nullptr;
}

} // namespace threadhop
