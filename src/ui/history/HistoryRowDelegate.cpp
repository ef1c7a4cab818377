#include "HistoryRowDelegate.h"

#include "theme/Theme.h"
#include "ui/widgets/OneLineText.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/RoundedBox.h"
#include "ui/widgets/RowPainter.h"
#include "ui/widgets/StatusDot.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

namespace Slots = HistoryPresenter::RestoreSlots;

constexpr int sidePadding = 12;
constexpr int endPadding = 2 + 4;
constexpr int lineSpacing = 4;
constexpr int headerSpacing = 6;
constexpr int dotSize = 8;
constexpr int badgePadding = 4;
constexpr int reasonMaximumWidth = 260;
const QString restoreTitle = u"Restore"_s;

QStyle* styleOf(const QStyleOptionViewItem& option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

QColor secondary(const QPalette& palette)
{
    return Theme::secondaryText(palette);
}

int lineHeight(const QFont& font)
{
    return QFontMetrics(font).height();
}

} // namespace

HistoryRowDelegate::HistoryRowDelegate(QObject* parent)
    : QStyledItemDelegate(parent),
      m_caption(Theme::font(TextStyle::caption)),
      m_caption2(Theme::font(TextStyle::caption2)),
      m_badge(Theme::font(TextStyle::caption2, QFont::Bold)),
      m_mono(Theme::captionMono())
{
    QStyleOptionButton button;
    button.fontMetrics = QFontMetrics(m_caption);
    button.text = restoreTitle;
    m_button = QApplication::style()->sizeFromContents(QStyle::CT_PushButton, &button,
                                                       button.fontMetrics.size(Qt::TextShowMnemonic, restoreTitle));
}

QSize HistoryRowDelegate::slotSize(const HistoryPresenter::RestoreSlot& slot) const
{
    if (std::holds_alternative<Slots::Button>(slot))
        return m_button;
    const auto* reason = std::get_if<Slots::Reason>(&slot);
    if (!reason)
        return {};
    // A few reasons repeat over thousands of rows: each is measured once.
    auto found = m_reasonSizes.constFind(reason->text);
    if (found == m_reasonSizes.constEnd()) {
        const QFontMetrics metrics(m_caption2);
        const int width = std::min(metrics.horizontalAdvance(reason->text) + 1, reasonMaximumWidth);
        const QRect wrapped = metrics.boundingRect(QRect(0, 0, width, 10'000), Qt::TextWordWrap, reason->text);
        found = m_reasonSizes.insert(reason->text, {width, wrapped.height()});
    }
    return *found;
}

int HistoryRowDelegate::headerHeight(const HistoryListModel::Entry& entry) const
{
    return std::max(
        {lineHeight(m_caption), lineHeight(m_badge) + 2, lineHeight(m_mono), slotSize(entry.slot).height()});
}

HistoryRowDelegate::Parts HistoryRowDelegate::parts(const HistoryListModel::Entry& entry, const QRect& row) const
{
    Parts parts;
    const QRect inner = row.adjusted(sidePadding, endPadding, -sidePadding, -endPadding);
    const int header = headerHeight(entry);
    const auto centred = [&](int x, QSize size) {
        return QRect(QPoint(x, inner.top() + (header - size.height()) / 2), size);
    };
    parts.dot = centred(inner.left(), {dotSize, dotSize});
    int x = parts.dot.right() + 1 + headerSpacing;
    parts.date = centred(x, {QFontMetrics(m_caption).horizontalAdvance(entry.timestamp), lineHeight(m_caption)});
    x = parts.date.right() + 1 + headerSpacing;
    for (const auto& badge : entry.badges) {
        const QSize size(QFontMetrics(m_badge).horizontalAdvance(badge.text) + 2 * badgePadding,
                         lineHeight(m_badge) + 2);
        parts.badges.push_back(centred(x, size));
        x = parts.badges.back().right() + 1 + headerSpacing;
    }
    parts.account = centred(
        x,
        {QFontMetrics(m_mono).horizontalAdvance(QString::fromStdString(entry.record.accountId)), lineHeight(m_mono)});
    const QSize slot = slotSize(entry.slot);
    if (!slot.isEmpty())
        parts.slot = std::holds_alternative<Slots::Button>(entry.slot)
            ? centred(inner.right() + 1 - slot.width(), slot)
            : QRect(QPoint(inner.right() + 1 - slot.width(), inner.top()), slot);
    int y = inner.top() + header + lineSpacing;
    for (QRect* line : {&parts.oldPath, &parts.newPath}) {
        *line = QRect(inner.left(), y, inner.width(), lineHeight(m_mono));
        y = line->bottom() + 1 + lineSpacing;
    }
    parts.counts = QRect(inner.left(), y, inner.width(), lineHeight(m_caption2));
    return parts;
}

QSize HistoryRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const auto& entry = static_cast<const HistoryListModel*>(index.model())->entry(index.row());
    const int height = endPadding + headerHeight(entry) + 3 * lineSpacing + 2 * lineHeight(m_mono)
        + lineHeight(m_caption2) + endPadding + 1; // and the divider
    return {0, height};
}

void HistoryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto& model = *static_cast<const HistoryListModel*>(index.model());
    const auto& entry = model.entry(index.row());
    const Parts shown = parts(entry, option.rect);
    const QPalette& palette = option.palette;
    painter->save();

    StatusDot::paint(*painter, QRectF(shown.dot).center(), HistoryPresenter::dotColor(entry.record), dotSize);
    painter->setPen(secondary(palette));
    painter->setFont(m_caption);
    painter->drawText(shown.date, Qt::AlignLeft | Qt::AlignVCenter, entry.timestamp);
    painter->setFont(m_badge);
    for (std::size_t i = 0; i < entry.badges.size(); ++i) {
        const auto& badge = entry.badges[i];
        const QRectF capsule(shown.badges[i]);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(RoundedBox::fill({.tint = badge.tint, .opacity = badge.opacity}, palette));
        painter->drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        painter->setPen(palette.color(QPalette::WindowText));
        painter->drawText(shown.badges[i], Qt::AlignCenter, badge.text);
    }
    painter->setPen(secondary(palette));
    painter->setFont(m_mono);
    painter->drawText(shown.account, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(entry.record.accountId));

    if (std::holds_alternative<Slots::Button>(entry.slot)) {
        QStyleOptionButton button;
        button.initFrom(option.widget);
        button.rect = shown.slot;
        button.text = restoreTitle;
        button.fontMetrics = QFontMetrics(m_caption);
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        // The current row's button is the one Space presses.
        if (RowPainter::hasKeyboardFocus(option))
            button.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
        painter->setFont(m_caption);
        styleOf(option)->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
    } else {
        // Without a button to show it, the row itself shows that the keys act on it.
        RowPainter::drawFocus(*painter, option);
        if (const auto* reason = std::get_if<Slots::Reason>(&entry.slot)) {
            painter->setPen(secondary(palette));
            painter->setFont(m_caption2);
            painter->drawText(shown.slot, Qt::AlignRight | Qt::AlignTop | Qt::TextWordWrap, reason->text);
        }
    }

    painter->setFont(m_mono);
    const QFontMetrics mono(m_mono);
    painter->setPen(Theme::broken());
    painter->drawText(shown.oldPath, Qt::AlignLeft | Qt::AlignVCenter,
                      mono.elidedText(OneLineText::of(entry.record.oldCwd), Qt::ElideLeft, shown.oldPath.width()));
    painter->setPen(Theme::ok());
    painter->drawText(
        shown.newPath, Qt::AlignLeft | Qt::AlignVCenter,
        mono.elidedText(OneLineText::of(toStdString(entry.newPathLine)), Qt::ElideLeft, shown.newPath.width()));
    painter->setPen(secondary(palette));
    painter->setFont(m_caption2);
    painter->drawText(shown.counts, Qt::AlignLeft | Qt::AlignVCenter, entry.countsLine);

    if (index.row() + 1 < model.rowCount()) {
        painter->setPen(palette.color(QPalette::Mid));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    }
    painter->restore();
}

bool HistoryRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                     const QModelIndex& index)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto* release = static_cast<QMouseEvent*>(event);
    const auto& entry = static_cast<const HistoryListModel*>(model)->entry(index.row());
    if (release->button() != Qt::LeftButton || !std::holds_alternative<Slots::Button>(entry.slot)
        || !parts(entry, option.rect).slot.contains(release->position().toPoint()))
        return false;
    emit restoreRequested(index.row());
    return true;
}

} // namespace threadhop
