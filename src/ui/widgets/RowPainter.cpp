#include "RowPainter.h"

#include "FocusIndicator.h"
#include "FocusRing.h"
#include "theme/Symbols.h"
#include "theme/Theme.h"

#include <QApplication>
#include <QListView>
#include <QPainter>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace threadhop {

void RowPainter::prepareList(QListView& list)
{
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setFrameShape(QFrame::NoFrame);
    new FocusRing(list);
}

void RowPainter::drawBackground(QPainter& painter, const QStyleOptionViewItem& option)
{
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, &painter, widget);
}

bool RowPainter::isSelected(const QStyleOptionViewItem& option)
{
    return option.state.testFlag(QStyle::State_Selected);
}

bool RowPainter::hasKeyboardFocus(const QStyleOptionViewItem& option)
{
    return option.state.testFlag(QStyle::State_HasFocus) && option.widget && option.widget->hasFocus();
}

void RowPainter::drawFocus(QPainter& painter, const QStyleOptionViewItem& option)
{
    if (!hasKeyboardFocus(option) || isSelected(option))
        return;
    const QPalette& palette = option.palette;
    FocusIndicator::paint(painter, option.rect.adjusted(2, 1, -2, -1),
                          FocusIndicator::color(palette, {palette.color(QPalette::Base)}));
}

QColor RowPainter::primaryText(const QStyleOptionViewItem& option)
{
    return option.palette.color(isSelected(option) ? QPalette::HighlightedText : QPalette::Text);
}

QColor RowPainter::secondaryText(const QStyleOptionViewItem& option)
{
    if (isSelected(option))
        return primaryText(option);
    QPalette palette = option.palette;
    palette.setColor(QPalette::WindowText, primaryText(option));
    return Theme::secondaryText(palette);
}

QColor RowPainter::tertiaryText(const QStyleOptionViewItem& option)
{
    if (isSelected(option))
        return primaryText(option);
    QPalette palette = option.palette;
    palette.setColor(QPalette::WindowText, primaryText(option));
    return Theme::tertiaryText(palette);
}

QColor RowPainter::dotColor(const QStyleOptionViewItem& option, const QColor& color)
{
    return isSelected(option) && color == Theme::unknown() ? primaryText(option) : color;
}

const QPixmap& RowPainter::symbol(Symbol symbol, int size, const QColor& tint)
{
    const QString key =
        QString::number(static_cast<int>(symbol)) + u'/' + QString::number(size) + u'/' + tint.name(QColor::HexArgb);
    auto found = m_symbols.find(key);
    if (found == m_symbols.end())
        found = m_symbols.insert(key, Symbols::tintedPixmap(symbol, size, tint));
    return *found;
}

} // namespace threadhop
