#include "Symbols.h"

#include <QApplication>
#include <QPainter>
#include <QStandardPaths>
#include <QStyle>

#include <array>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

struct Symbol {
    std::string_view name;
    const char16_t* themeName;
    QStyle::StandardPixmap fallback;
};

constexpr std::array symbols{
    Symbol{"arrow.clockwise", u"view-refresh", QStyle::SP_BrowserReload},
    Symbol{"arrow.left.arrow.right.circle", u"media-playlist-repeat", QStyle::SP_ArrowRight},
    Symbol{"bubble.left", u"mail-message-new", QStyle::SP_MessageBoxInformation},
    Symbol{"checkmark.seal", u"emblem-ok", QStyle::SP_DialogApplyButton},
    Symbol{"clock.arrow.circlepath", u"document-open-recent", QStyle::SP_FileDialogDetailedView},
    Symbol{"doc.on.doc", u"edit-copy", QStyle::SP_FileIcon},
    Symbol{"exclamationmark.triangle", u"dialog-warning", QStyle::SP_MessageBoxWarning},
    Symbol{"externaldrive", u"drive-harddisk", QStyle::SP_DriveHDIcon},
    Symbol{"folder", u"folder", QStyle::SP_DirIcon},
    Symbol{"lock", u"changes-prevent", QStyle::SP_MessageBoxInformation},
    Symbol{"magnifyingglass", u"edit-find", QStyle::SP_FileDialogContentsView},
    Symbol{"pencil", u"document-edit", QStyle::SP_FileDialogDetailedView},
    Symbol{"person.2", u"system-users", QStyle::SP_DirHomeIcon},
    Symbol{"person.slash", u"avatar-default", QStyle::SP_MessageBoxQuestion},
    Symbol{"terminal", u"utilities-terminal", QStyle::SP_ComputerIcon},
    Symbol{"xmark.circle.fill", u"edit-clear", QStyle::SP_LineEditClearButton},
};

const Symbol* find(std::string_view name)
{
    for (const auto& symbol : symbols) {
        if (symbol.name == name)
            return &symbol;
    }
    return nullptr;
}

} // namespace

QIcon Symbols::icon(std::string_view symbolName)
{
    const Symbol* symbol = find(symbolName);
    if (!symbol)
        return {};
    const QString name = QString::fromUtf16(symbol->themeName);
    // Current themes often ship only the symbolic variant of an action icon.
    for (const QString& candidate : {name, name + u"-symbolic"_s}) {
        if (QIcon::hasThemeIcon(candidate))
            return QIcon::fromTheme(candidate);
    }
    return QApplication::style()->standardIcon(symbol->fallback);
}

QPixmap Symbols::tintedPixmap(std::string_view symbolName, int size, const QColor& tint)
{
    QPixmap pixmap = icon(symbolName).pixmap(size, size);
    if (pixmap.isNull())
        return pixmap;
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), tint);
    return pixmap;
}

void Symbols::prepareIconTheme()
{
    QStringList searchPaths = QIcon::themeSearchPaths();
    for (const QString& folder :
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, u"icons"_s, QStandardPaths::LocateDirectory)) {
        if (!searchPaths.contains(folder))
            searchPaths.append(folder);
    }
    QIcon::setThemeSearchPaths(searchPaths);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(u"hicolor"_s);
    const QString fallback = QIcon::fallbackThemeName();
    if (fallback.isEmpty() || fallback == u"hicolor"_s)
        QIcon::setFallbackThemeName(u"Adwaita"_s);
}

QIcon Symbols::appIcon()
{
    QIcon icon(u":/threadhop/AppIcon.png"_s);
    return icon.availableSizes().isEmpty() ? QIcon() : icon;
}

} // namespace threadhop
