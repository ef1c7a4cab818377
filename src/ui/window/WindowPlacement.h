#pragma once

#include <QMargins>
#include <QRect>

// Where the main window opens while it has no frame to restore, and whether a restored one fits
// (Qt saves and restores the frame and the columns themselves, in the SettingsFile).
namespace threadhop::WindowPlacement {

// Geometries are the window's client area, as QWidget::setGeometry takes it; `frame` is what the
// window manager adds around it (the title bar above, borders), which must fit on the screen too.

/// The window's first geometry: `ideal` limited so that the window with its frame fits the screen's
/// available area, but never below `minimum`; the frame centred on that area. Along a side where
/// even the minimum does not fit, the frame starts at the area's edge, so that the title bar, the
/// menu bar and the toolbar stay on the screen.
QRect first(QSize ideal, QSize minimum, const QRect& available, const QMargins& frame);

/// Whether the window at `geometry`, with its frame, lies wholly inside `available`.
bool fits(const QRect& geometry, const QMargins& frame, const QRect& available);

/// The top-left corner that centres a window of `size` on `over`.
QPoint centred(QSize size, const QRect& over);

} // namespace threadhop::WindowPlacement
