#pragma once

#include <QList>
#include <QRect>

#include <memory>

class QSettings;

// Where the main window opens and how wide its columns are: remembered between runs, within the
// window's limits and the screens there are.
namespace threadhop::WindowPlacement {

/// The window's first frame: `ideal` limited to the screen's available area but never below
/// `minimum`, centred on that area.
QRect first(QSize ideal, QSize minimum, const QRect& available);

/// A remembered frame: at least `minimum` and no larger than the available area of the screen it lies
/// on; one that lies off every screen is centred on `primary` instead.
QRect restored(const QRect& saved, QSize minimum, const QList<QRect>& screens, const QRect& primary);

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
