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
    /// The look the row lists share: single selection, no frame, no horizontal scrolling, and a ring
    /// while the list has the keyboard focus.
    static void prepareList(QListView& list);

    /// Draws the item background (selection, hover) the style gives `option`.
    static void drawBackground(QPainter& painter, const QStyleOptionViewItem& option);

    static bool isSelected(const QStyleOptionViewItem& option);
    /// Whether the row is the list's current one while the list has the keyboard focus: the row
    /// Space and the first arrow act on.
    static bool hasKeyboardFocus(const QStyleOptionViewItem& option);
    /// The focus ring along a row that has the keyboard focus and is not selected (a selected row
    /// shows itself), so that the user sees which row the keys act on.
    static void drawFocus(QPainter& painter, const QStyleOptionViewItem& option);
    /// Primary, secondary and tertiary text colors for the row's state. A selected row draws all
    /// three in the selection's text color: faded, they would hardly stand out from the selection.
    static QColor primaryText(const QStyleOptionViewItem& option);
    static QColor secondaryText(const QStyleOptionViewItem& option);
    static QColor tertiaryText(const QStyleOptionViewItem& option);
    /// A status dot's color as the row draws it: on a selected row the grey of what cannot be judged
    /// turns into the selection's text color, which stands out from the selection.
    static QColor dotColor(const QStyleOptionViewItem& option, const QColor& color);

    const QPixmap& symbol(Symbol symbol, int size, const QColor& tint);

private:
    QHash<QString, QPixmap> m_symbols;
};

} // namespace threadhop
