#pragma once

#include <QMargins>
#include <QRect>

#include <memory>

class QSettings;

// Where the main window opens while it has no frame to restore, and where the frame it had is kept
// between runs (Qt saves and restores the frame and the columns themselves).
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

/// The user's settings of this application: <config home>/Threadhop/Threadhop.conf, where the config
/// home is $XDG_CONFIG_HOME when absolute, otherwise .config in the home folder.
std::unique_ptr<QSettings> settings();

} // namespace threadhop::WindowPlacement
