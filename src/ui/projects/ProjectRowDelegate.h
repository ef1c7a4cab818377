#pragma once

#include "ui/widgets/RowPainter.h"

#include <QStyledItemDelegate>

namespace threadhop {

/// Draws a project row: the status dot, the display path cut at its start, and the detail line
/// of conversations, subagents and size with the age at the right edge.
class ProjectRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    mutable RowPainter m_painter;
};

} // namespace threadhop
