#include "WindowPlacement.h"

namespace threadhop {
namespace {

// Where a frame of `length` starts along one side of the area: centred, or at the area's start
// when it is longer than the area.
int start(int areaStart, int areaLength, int length)
{
    return length > areaLength ? areaStart : areaStart + (areaLength - length) / 2;
}

} // namespace

QRect WindowPlacement::first(QSize ideal, QSize minimum, const QRect& available, const QMargins& frame)
{
    const QSize size = ideal.boundedTo(available.marginsRemoved(frame).size()).expandedTo(minimum);
    const QSize framed = size.grownBy(frame);
    const QPoint frameCorner(start(available.x(), available.width(), framed.width()),
                             start(available.y(), available.height(), framed.height()));
    return {frameCorner + QPoint(frame.left(), frame.top()), size};
}

bool WindowPlacement::fits(const QRect& geometry, const QMargins& frame, const QRect& available)
{
    return available.contains(geometry.marginsAdded(frame));
}

QPoint WindowPlacement::centred(QSize size, const QRect& over)
{
    return {over.x() + (over.width() - size.width()) / 2, over.y() + (over.height() - size.height()) / 2};
}

} // namespace threadhop
