#pragma once

#include <QStyledItemDelegate>

namespace threadhop {

/// Draws an account row: the folder dot, the label, who is signed in, the folder path, the
/// problems badge and the project count.
class AccountRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace threadhop
