#pragma once

#include <QIcon>
#include <QPixmap>

#include <string_view>

// The system images the views name (by the names the presenters use) drawn from the installed
// freedesktop icon theme, with Qt's standard icons where the theme lacks one.
namespace threadhop::Symbols {

/// The icon for a symbol name such as "magnifyingglass"; an unknown name gives a null icon.
QIcon icon(std::string_view symbolName);

/// The icon at `size` pixels recoloured to `tint` (symbols drawn in a status colour).
QPixmap tintedPixmap(std::string_view symbolName, int size, const QColor& tint);

/// Makes the desktop's icon theme reachable where the platform names none (bare X servers,
/// the offscreen platform): the system icon folders are searched and Adwaita stands in.
void prepareIconTheme();

/// The application's own icon, or a null icon when the resource is missing.
QIcon appIcon();

} // namespace threadhop::Symbols
