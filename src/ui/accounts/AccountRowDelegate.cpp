#include "AccountRowDelegate.h"

#include "AccountListModel.h"
#include "theme/Theme.h"
#include "ui/widgets/RowPainter.h"
#include "ui/widgets/StatusDot.h"

#include <QPainter>

namespace threadhop {
namespace {

constexpr int verticalPadding = 6;
constexpr int horizontalPadding = 10;
constexpr int dotSize = 8;
constexpr int spacing = 8;
constexpr int lineSpacing = 2;
constexpr int badgeHorizontalPadding = 5;
constexpr int badgeVerticalPadding = 1;

QFont badgeFont()
{
    QFont font = Theme::font(TextStyle::caption2);
    font.setBold(true);
    return font;
}

int textHeight(const QStyleOptionViewItem& option)
{
    return QFontMetrics(option.font).height() + lineSpacing + QFontMetrics(Theme::font(TextStyle::caption)).height()
        + lineSpacing + QFontMetrics(Theme::font(TextStyle::caption2)).height();
}

} // namespace

void AccountRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem styled = option;
    initStyleOption(&styled, index);
    styled.text.clear();
    RowPainter::drawBackground(*painter, styled);

    const QRect area = option.rect.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    const int middle = area.center().y();
    StatusDot::paint(*painter, QPointF(area.left() + dotSize / 2.0, middle + 0.5),
                     RowPainter::dotColor(option, index.data(AccountListModel::DotColorRole).value<QColor>()), dotSize);

    painter->save();
    // Right edge first: the count, then the badge before it; the text takes what is left.
    const QFont caption = Theme::font(TextStyle::caption);
    const QFontMetrics captionMetrics(caption);
    const QString count = index.data(AccountListModel::ProjectCountRole).toString();
    const int countWidth = captionMetrics.horizontalAdvance(count);
    int right = area.right();
    painter->setFont(caption);
    painter->setPen(RowPainter::secondaryText(option));
    painter->drawText(QRect(right - countWidth, area.top(), countWidth + 1, area.height()),
                      Qt::AlignRight | Qt::AlignVCenter, count);
    right -= countWidth + spacing;

    const QVariant badge = index.data(AccountListModel::ProblemsBadgeRole);
    if (badge.isValid()) {
        const QFont font = badgeFont();
        const QFontMetrics metrics(font);
        const QString text = badge.toString();
        const int width = metrics.horizontalAdvance(text) + 2 * badgeHorizontalPadding;
        const int height = metrics.height() + 2 * badgeVerticalPadding;
        const QRectF capsule(right - width, middle - height / 2.0, width, height);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Theme::broken());
        painter->drawRoundedRect(capsule, height / 2.0, height / 2.0);
        painter->setFont(font);
        painter->setPen(Qt::white);
        painter->drawText(capsule, Qt::AlignCenter, text);
        right -= width + spacing;
    }

    const int textLeft = area.left() + dotSize + spacing;
    const int textWidth = right - textLeft;
    int top = middle - textHeight(option) / 2;

    const QFontMetrics labelMetrics(option.font);
    painter->setFont(option.font);
    painter->setPen(RowPainter::primaryText(option));
    painter->drawText(QRect(textLeft, top, textWidth, labelMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      labelMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textWidth));
    top += labelMetrics.height() + lineSpacing;

    const bool warning = index.data(AccountListModel::IdentityIsWarningRole).toBool();
    painter->setFont(caption);
    // "not signed in" is orange, except on the selection, where orange would hardly show.
    painter->setPen(warning && !RowPainter::isSelected(option) ? Theme::warn() : RowPainter::secondaryText(option));
    painter->drawText(
        QRect(textLeft, top, textWidth, captionMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        captionMetrics.elidedText(index.data(AccountListModel::IdentityRole).toString(), Qt::ElideMiddle, textWidth));
    top += captionMetrics.height() + lineSpacing;

    const QFont caption2 = Theme::font(TextStyle::caption2);
    const QFontMetrics caption2Metrics(caption2);
    painter->setFont(caption2);
    painter->setPen(RowPainter::tertiaryText(option));
    painter->drawText(
        QRect(textLeft, top, textWidth, caption2Metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        caption2Metrics.elidedText(index.data(AccountListModel::FolderRole).toString(), Qt::ElideLeft, textWidth));
    painter->restore();
}

QSize AccountRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {200, textHeight(option) + 2 * verticalPadding};
}

} // namespace threadhop
