#pragma once

#include "HistoryListModel.h"

#include <QFont>
#include <QHash>
#include <QStyledItemDelegate>

namespace threadhop {

/// Draws one record of the history window: the header with its dot, date, badges, account and
/// restore slot, the old and the new directory cut at their start, and the counts. Rows are drawn,
/// not built of widgets, so that a history of thousands opens at once. The "Restore" button is
/// pressed by a click, or by Space while its row is the list's current one.
class HistoryRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit HistoryRowDelegate(QObject* parent = nullptr);

    /// Where each part of a row goes within the row's rectangle.
    struct Parts {
        QRect dot;
        QRect date;
        std::vector<QRect> badges;
        QRect account;
        QRect slot; ///< the button or the reason; empty for an empty slot
        QRect oldPath;
        QRect newPath;
        QRect counts;
    };
    Parts parts(const HistoryListModel::Entry& entry, const QRect& row) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

signals:
    /// The "Restore" button of the row was pressed.
    void restoreRequested(int row);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    QSize slotSize(const HistoryPresenter::RestoreSlot& slot) const;
    int headerHeight(const HistoryListModel::Entry& entry) const;

    QFont m_caption;
    QFont m_caption2;
    QFont m_badge;
    QFont m_mono;
    QSize m_button;
    mutable QHash<QString, QSize> m_reasonSizes;
};

} // namespace threadhop
