#pragma once

#include <QColor>
#include <QPalette>

#include <initializer_list>

class QPainter;
class QRect;

// The one look of keyboard focus: a ring along the inside edge of the control, in a color that
// stands apart from what the control is filled with and from the window around it, in light and
// dark palettes alike (a ring in the selection color vanishes on a button filled with it).
namespace threadhop::FocusIndicator {

/// The selection color, or the window's text color where the selection color is close to one of
/// `fills` or to the window's background.
QColor color(const QPalette& palette, std::initializer_list<QColor> fills);

/// Whether two colors differ enough to be told apart at a glance.
bool distinct(const QColor& one, const QColor& other);

/// Draws the ring along the inside of `rect`.
void paint(QPainter& painter, const QRect& rect, const QColor& color);

} // namespace threadhop::FocusIndicator
