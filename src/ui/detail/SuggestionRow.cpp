#include "SuggestionRow.h"

#include "theme/Theme.h"
#include "ui/widgets/Labels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace threadhop {

SuggestionRow::SuggestionRow(const QString& path, Symbol marker, QWidget* parent)
    : QWidget(parent), m_path(path), m_marker(marker)
{
    setObjectName(u"suggestionRow"_s);
    const QFont& font = Theme::captionMono();
    auto* icon = new QLabel(this);
    const int size = QFontMetrics(font).height();
    icon->setPixmap(Symbols::tintedPixmap(marker, size, Theme::accent()));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(icon, 0, Qt::AlignVCenter);
    layout->addWidget(Labels::plain(path, font, this));
    layout->addStretch(1);
}

void SuggestionRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(m_path);
}

} // namespace threadhop
