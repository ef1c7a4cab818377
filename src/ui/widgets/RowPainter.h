#pragma once

#include "theme/Symbols.h"

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QStyleOptionViewItem>

class QListView;
class QPainter;

namespace threadhop {

/// What the list row delegates share: the selection-aware background and text colors, and
/// tinted symbol pixmaps made once per symbol, size and color.
class RowPainter final {
public:
    /// The look the row lists share: single selection, no frame, no horizontal scrolling.
    static void prepareList(QListView& list);

    /// Draws the item background (selection, hover) the style gives `option`.
    static void drawBackground(QPainter& painter, const QStyleOptionViewItem& option);

    static bool isSelected(const QStyleOptionViewItem& option);
    /// Primary, secondary and tertiary text colors for the row's state.
    static QColor primaryText(const QStyleOptionViewItem& option);
    static QColor secondaryText(const QStyleOptionViewItem& option);
    static QColor tertiaryText(const QStyleOptionViewItem& option);

    const QPixmap& symbol(Symbol symbol, int size, const QColor& tint);

private:
    QHash<QString, QPixmap> m_symbols;
};

} // namespace threadhop
