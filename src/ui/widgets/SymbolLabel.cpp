#include "SymbolLabel.h"

#include "Labels.h"
#include "theme/Theme.h"

#include <QHBoxLayout>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace threadhop {

SymbolLabel::SymbolLabel(Symbol symbol, const QString& text, const QFont& font, std::optional<QColor> color,
                         QWidget* parent)
    : QWidget(parent), m_text(Labels::plain(text, font, this))
{
    m_text->setObjectName(u"symbolLabelText"_s);
    if (color)
        Theme::setTextColor(*m_text, *color);
    auto* icon = new QLabel(this);
    const int size = QFontMetrics(font).height();
    icon->setPixmap(Symbols::tintedPixmap(symbol, size, m_text->palette().color(QPalette::WindowText)));
    icon->setFixedSize(size, size);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
}

SymbolLabel* SymbolLabel::wrapping()
{
    Labels::wrapping(m_text);
    return this;
}

QString SymbolLabel::text() const
{
    return m_text->text();
}

QColor SymbolLabel::color() const
{
    return m_text->palette().color(QPalette::WindowText);
}

} // namespace threadhop
