#include "Symbols.h"

#include <QApplication>
#include <QPainter>
#include <QStandardPaths>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

struct Source {
    const char16_t* themeName;
    QStyle::StandardPixmap fallback;
};

// A missing case is an error, not a warning: every symbol must name its icon.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
Source sourceOf(Symbol symbol)
{
    switch (symbol) {
    case Symbol::arrowClockwise:
        return {u"view-refresh", QStyle::SP_BrowserReload};
    case Symbol::arrowLeftArrowRightCircle:
        return {u"media-playlist-repeat", QStyle::SP_ArrowRight};
    case Symbol::arrowRightDocOnClipboard:
        return {u"document-send", QStyle::SP_ArrowForward};
    case Symbol::arrowTriangleBranch:
        return {u"media-playlist-shuffle", QStyle::SP_ArrowRight};
    case Symbol::boltHorizontalCircleFill:
        return {u"thunderbolt", QStyle::SP_MediaPlay};
    case Symbol::bubbleLeft:
        return {u"user-available", QStyle::SP_MessageBoxInformation}; // a speech bubble
    case Symbol::bubbleLeftAndBubbleRight:
        return {u"user-available", QStyle::SP_MessageBoxInformation};
    case Symbol::checkmarkCircle:
        return {u"object-select", QStyle::SP_DialogApplyButton};
    case Symbol::checkmarkSeal:
        return {u"emblem-ok", QStyle::SP_DialogApplyButton};
    case Symbol::checkmarkSealFill:
        return {u"emblem-default", QStyle::SP_DialogApplyButton};
    case Symbol::chevronDown:
        return {u"pan-down", QStyle::SP_ArrowDown};
    case Symbol::chevronRight:
        return {u"pan-end", QStyle::SP_ArrowRight};
    case Symbol::circle:
        return {u"radio", QStyle::SP_DialogNoButton};
    case Symbol::clockArrowCirclepath:
        return {u"document-open-recent", QStyle::SP_FileDialogDetailedView};
    case Symbol::clockBadgeXmark:
        return {u"appointment-missed", QStyle::SP_MessageBoxCritical};
    case Symbol::creditcard:
        return {u"auth-smartcard", QStyle::SP_DriveHDIcon};
    case Symbol::docOnDoc:
        return {u"edit-copy", QStyle::SP_FileIcon};
    case Symbol::docTextMagnifyingglass:
        return {u"document-print-preview", QStyle::SP_FileDialogContentsView};
    case Symbol::exclamationmarkOctagonFill:
        return {u"process-stop", QStyle::SP_BrowserStop};
    case Symbol::exclamationmarkTriangle:
        return {u"dialog-warning", QStyle::SP_MessageBoxWarning};
    case Symbol::exclamationmarkTriangleFill:
        return {u"dialog-warning", QStyle::SP_MessageBoxWarning};
    case Symbol::externaldrive:
        return {u"drive-harddisk", QStyle::SP_DriveHDIcon};
    case Symbol::folder:
        return {u"folder", QStyle::SP_DirIcon};
    case Symbol::hourglass:
        return {u"content-loading", QStyle::SP_BrowserReload};
    case Symbol::largecircleFillCircle:
        return {u"radio-checked", QStyle::SP_DialogYesButton};
    case Symbol::lock:
        return {u"changes-prevent", QStyle::SP_MessageBoxInformation};
    case Symbol::magnifyingglass:
        return {u"edit-find", QStyle::SP_FileDialogContentsView};
    case Symbol::pencil:
        return {u"document-edit", QStyle::SP_FileDialogDetailedView};
    case Symbol::person2:
        return {u"system-users", QStyle::SP_DirHomeIcon};
    case Symbol::personSlash:
        return {u"avatar-default", QStyle::SP_MessageBoxQuestion};
    case Symbol::squareStack3dDownForward:
        return {u"view-paged", QStyle::SP_FileDialogListView};
    case Symbol::terminal:
        return {u"utilities-terminal", QStyle::SP_ComputerIcon};
    case Symbol::trayAndArrowDown:
        return {u"document-save", QStyle::SP_DialogSaveButton};
    case Symbol::xmarkCircleFill:
        return {u"edit-clear", QStyle::SP_LineEditClearButton};
    case Symbol::xmarkOctagonFill:
        return {u"dialog-error", QStyle::SP_MessageBoxCritical};
    }
    return {u"", QStyle::SP_CustomBase};
}
#pragma GCC diagnostic pop

} // namespace

QIcon Symbols::icon(Symbol symbol)
{
    const Source source = sourceOf(symbol);
    const QString name = QString::fromUtf16(source.themeName);
    // Monochrome symbolic variants first, as system symbols are; themes ship them as SVG, and
    // pre-rendered as ".symbolic.png" for toolkits without an SVG icon engine.
    for (const QString& candidate : {name + u"-symbolic"_s, name + u"-symbolic.symbolic"_s, name}) {
        if (QIcon::hasThemeIcon(candidate))
            return QIcon::fromTheme(candidate);
    }
    return QApplication::style()->standardIcon(source.fallback);
}

QPixmap Symbols::tintedPixmap(Symbol symbol, int size, const QColor& tint)
{
    QPixmap pixmap = icon(symbol).pixmap(size, size);
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
