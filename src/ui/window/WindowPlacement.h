#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

#include <memory>

class QSettings;

// Where the main window opens and how wide its columns are: remembered between runs, within the
// window's limits and the screens there are.
namespace threadhop::WindowPlacement {

// Geometries are the window's client area, as QWidget::setGeometry takes it; `frame` is what the
// window manager adds around it (the title bar above, borders), which must fit on the screen too.

/// The window's first geometry: `ideal` limited so that the window with its frame fits the screen's
/// available area, but never below `minimum`; the frame centred on that area. Along a side where
/// even the minimum does not fit, the frame starts at the area's edge, so that the title bar, the
/// menu bar and the toolbar stay on the screen.
QRect first(QSize ideal, QSize minimum, const QRect& available, const QMargins& frame);

/// A remembered geometry: at least `minimum` and no larger than the available area of the screen it
/// lies on; one that lies off every screen is placed on `primary` as a first one, without a frame.
QRect restored(const QRect& saved, QSize minimum, const QList<QRect>& screens, const QRect& primary);

/// Whether the window at `geometry`, with its frame, lies wholly inside `available`.
bool fits(const QRect& geometry, const QMargins& frame, const QRect& available);

/// The top-left corner that centres a window of `size` on `over`.
QPoint centred(QSize size, const QRect& over);

/// The sidebar and projects column widths within their limits: the sidebar 220 to 360 wide, the
/// projects column at least 300.
struct Columns {
    int sidebar;
    int projects;

    bool operator==(const Columns&) const = default;
};
Columns columns(Columns saved);

/// The user's settings of this application: <config home>/Threadhop/Threadhop.conf, where the config
/// home is $XDG_CONFIG_HOME when absolute, otherwise .config in the home folder.
std::unique_ptr<QSettings> settings();

} // namespace threadhop::WindowPlacement
