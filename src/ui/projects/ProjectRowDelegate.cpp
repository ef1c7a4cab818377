#include "ProjectRowDelegate.h"

#include "ProjectListModel.h"
#include "ProjectRowPresenter.h"
#include "theme/Theme.h"
#include "ui/widgets/StatusDot.h"

#include <QPainter>

namespace threadhop {
namespace {

constexpr int verticalPadding = 6;
constexpr int horizontalPadding = 10;
constexpr int dotSize = 8;
constexpr int dotTopPadding = 5;
constexpr int spacing = 8;
constexpr int lineSpacing = 3;
constexpr int itemSpacing = 10;
constexpr int iconTextSpacing = 3;

} // namespace

void ProjectRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem styled = option;
    initStyleOption(&styled, index);
    styled.text.clear();
    RowPainter::drawBackground(*painter, styled);

    const auto* model = qobject_cast<const ProjectListModel*>(index.model());
    if (!model)
        return;
    const ProjectFolder& project = model->project(index);
    const QRect area = option.rect.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);

    const QFontMetrics titleMetrics(option.font);
    StatusDot::paint(*painter, QPointF(area.left() + dotSize / 2.0, area.top() + dotTopPadding + dotSize / 2.0),
                     RowPainter::dotColor(option, ProjectRowPresenter::statusColor(project.status)), dotSize);

    painter->save();
    const int textLeft = area.left() + dotSize + spacing;
    const QRect titleRect(textLeft, area.top(), area.right() - textLeft, titleMetrics.height());
    painter->setFont(option.font);
    painter->setPen(RowPainter::primaryText(option));
    painter->drawText(
        titleRect, Qt::AlignLeft | Qt::AlignVCenter,
        titleMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideLeft, titleRect.width()));

    const QFont caption = Theme::font(TextStyle::caption);
    const QFontMetrics captionMetrics(caption);
    painter->setFont(caption);
    const QColor secondary = RowPainter::secondaryText(option);
    painter->setPen(secondary);
    const int lineTop = titleRect.bottom() + 1 + lineSpacing;
    const int lineHeight = captionMetrics.height();
    // As tall as the text beside it: smaller, the symbols are no longer recognisable.
    const int iconSize = captionMetrics.height();

    const QString age = index.data(ProjectListModel::AgeRole).toString();
    const int ageWidth = captionMetrics.horizontalAdvance(age);
    painter->drawText(QRect(area.right() - ageWidth, lineTop, ageWidth + 1, lineHeight),
                      Qt::AlignRight | Qt::AlignVCenter, age);

    int x = textLeft;
    for (const auto& item : ProjectRowPresenter::detailItems(project)) {
        painter->drawPixmap(x, lineTop + (lineHeight - iconSize) / 2,
                            m_painter.symbol(item.symbol, iconSize, secondary));
        x += iconSize + iconTextSpacing;
        const int width = captionMetrics.horizontalAdvance(item.text);
        painter->drawText(QRect(x, lineTop, width + 1, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, item.text);
        x += width + itemSpacing;
    }
    painter->restore();
    RowPainter::drawFocus(*painter, option);
}

QSize ProjectRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    const int height =
        QFontMetrics(option.font).height() + lineSpacing + QFontMetrics(Theme::font(TextStyle::caption)).height();
    return {200, height + 2 * verticalPadding};
}

} // namespace threadhop
