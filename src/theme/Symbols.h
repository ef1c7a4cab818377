#pragma once

#include <QIcon>
#include <QPixmap>

namespace threadhop {

/// The system symbols the views name, one enumerator per symbol (the enumerator spells the
/// symbol's name: `checkmarkSealFill` is "checkmark.seal.fill").
enum class Symbol {
    arrowClockwise,
    arrowLeftArrowRightCircle,
    arrowRightDocOnClipboard,
    arrowTriangleBranch,
    boltHorizontalCircleFill,
    bubbleLeft,
    bubbleLeftAndBubbleRight,
    checkmarkCircle,
    checkmarkSeal,
    checkmarkSealFill,
    chevronDown,
    chevronRight,
    circle,
    clockArrowCirclepath,
    clockBadgeXmark,
    creditcard,
    docOnDoc,
    docTextMagnifyingglass,
    exclamationmarkOctagonFill,
    exclamationmarkTriangle,
    exclamationmarkTriangleFill,
    externaldrive,
    folder,
    hourglass,
    largecircleFillCircle,
    lock,
    magnifyingglass,
    pencil,
    person2,
    personSlash,
    squareStack3dDownForward,
    terminal,
    trayAndArrowDown,
    xmarkCircleFill,
    xmarkOctagonFill,
};

} // namespace threadhop

// The symbols drawn from the installed freedesktop icon theme, with a symbol shipped with the program
// where the theme lacks one or there is no theme. Every symbol has both: a symbol added without them
// does not compile.
namespace threadhop::Symbols {

QIcon icon(Symbol symbol);

/// The icon at `size` pixels recolored to `tint` (symbols drawn in a status color).
QPixmap tintedPixmap(Symbol symbol, int size, const QColor& tint);

/// Makes the desktop's icon theme reachable where the platform names none (bare X servers,
/// the offscreen platform): the system icon folders are searched and Adwaita stands in.
void prepareIconTheme();

/// The application's own icon, or a null icon when the resource is missing.
QIcon appIcon();

} // namespace threadhop::Symbols
