#include "WindowPlacement.h"

#include "ui/widgets/QtText.h"

#include "core/util/fs/HomeFolder.h"

#include <QSettings>

#include <algorithm>
#include <cstdlib>

namespace threadhop {
namespace {

constexpr int sidebarMinimum = 220;
constexpr int sidebarMaximum = 360;
constexpr int projectsMinimum = 300;
// So much of a window must lie on a screen for the user to reach it and drag it back.
constexpr QSize reachable{100, 40};

QSize limited(QSize size, QSize minimum, const QRect& available, const QMargins& frame)
{
    return size.boundedTo(available.marginsRemoved(frame).size()).expandedTo(minimum);
}

// Where a frame of `length` starts along one side of the area: centred, or at the area's start
// when it is longer than the area.
int start(int areaStart, int areaLength, int length)
{
    return length > areaLength ? areaStart : areaStart + (areaLength - length) / 2;
}

} // namespace

QRect WindowPlacement::first(QSize ideal, QSize minimum, const QRect& available, const QMargins& frame)
{
    const QSize size = limited(ideal, minimum, available, frame);
    const QSize framed = size.grownBy(frame);
    const QPoint frameCorner(start(available.x(), available.width(), framed.width()),
                             start(available.y(), available.height(), framed.height()));
    return {frameCorner + QPoint(frame.left(), frame.top()), size};
}

QRect WindowPlacement::restored(const QRect& saved, QSize minimum, const QList<QRect>& screens, const QRect& primary)
{
    for (const QRect& screen : screens) {
        const QRect shared = saved.intersected(screen);
        if (shared.width() >= reachable.width() && shared.height() >= reachable.height())
            return {saved.topLeft(), limited(saved.size(), minimum, screen, {})};
    }
    return first(saved.size(), minimum, primary, {});
}

bool WindowPlacement::fits(const QRect& geometry, const QMargins& frame, const QRect& available)
{
    return available.contains(geometry.marginsAdded(frame));
}

QPoint WindowPlacement::centred(QSize size, const QRect& over)
{
    return {over.x() + (over.width() - size.width()) / 2, over.y() + (over.height() - size.height()) / 2};
}

WindowPlacement::Columns WindowPlacement::columns(Columns saved)
{
    return {std::clamp(saved.sidebar, sidebarMinimum, sidebarMaximum), std::max(saved.projects, projectsMinimum)};
}

std::unique_ptr<QSettings> WindowPlacement::settings()
{
    std::filesystem::path configHome = HomeFolder::path() / ".config";
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && std::filesystem::path(xdg).is_absolute())
        configHome = xdg;
    return std::make_unique<QSettings>(toQString((configHome / "Threadhop" / "Threadhop.conf").string()),
                                       QSettings::IniFormat);
}

} // namespace threadhop
