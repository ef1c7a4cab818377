#include "Symbols.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmapCache>
#include <QStandardPaths>
#include <QStyle>

#include <algorithm>
#include <variant>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

struct Source {
    const char16_t* themeName;
    /// Where the theme lacks it: one of Qt's standard icons, or the name of a symbol shipped with the
    /// program (for the standard icons that are pictures on an opaque ground, which drawn in one color
    /// are filled squares).
    std::variant<QStyle::StandardPixmap, const char16_t*> fallback;
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
        return {u"radio", u"circle"};
    case Symbol::clockArrowCirclepath:
        return {u"document-open-recent", u"clock-arrow-circlepath"};
    case Symbol::clockBadgeXmark:
        return {u"appointment-missed", QStyle::SP_MessageBoxCritical};
    case Symbol::creditcard:
        return {u"auth-smartcard", u"creditcard"};
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
        return {u"drive-harddisk", u"externaldrive"};
    case Symbol::folder:
        return {u"folder", QStyle::SP_DirIcon};
    case Symbol::hourglass:
        return {u"content-loading", QStyle::SP_BrowserReload};
    case Symbol::largecircleFillCircle:
        return {u"radio-checked", u"largecircle-fill-circle"};
    case Symbol::lock:
        return {u"changes-prevent", QStyle::SP_MessageBoxInformation};
    case Symbol::magnifyingglass:
        return {u"edit-find", QStyle::SP_FileDialogContentsView};
    case Symbol::pencil:
        return {u"document-edit", u"pencil"};
    case Symbol::person2:
        return {u"system-users", QStyle::SP_DirHomeIcon};
    case Symbol::personSlash:
        return {u"avatar-default", QStyle::SP_MessageBoxQuestion};
    case Symbol::squareStack3dDownForward:
        return {u"view-paged", u"square-stack-3d-down-forward"};
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

// The shape of `pixmap` in `tint`. Some themes draw a symbol at part opacity (a faint ring for an
// empty radio marker); its strongest pixel is made opaque, so that the symbol shows in `tint` itself.
QPixmap tinted(const QPixmap& pixmap, const QColor& tint)
{
    if (pixmap.isNull())
        return pixmap;
    QImage shape = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int strongest = 0;
    for (int y = 0; y < shape.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shape.constScanLine(y));
        for (int x = 0; x < shape.width(); ++x)
            strongest = std::max(strongest, qAlpha(line[x]));
    }
    if (strongest == 0)
        return pixmap;
    for (int y = 0; y < shape.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shape.scanLine(y));
        for (int x = 0; x < shape.width(); ++x) {
            const int alpha = qAlpha(line[x]) * tint.alpha() / strongest;
            line[x] = qRgba(tint.red(), tint.green(), tint.blue(), alpha);
        }
    }
    QPixmap result = QPixmap::fromImage(std::move(shape));
    result.setDevicePixelRatio(pixmap.devicePixelRatio());
    return result;
}

// Draws a symbol's shape in the text color of the application's palette at the time it is drawn,
// as system symbols are: a theme's symbolic icons are dark grey and vanish on a dark palette.
class PaletteSymbolEngine final : public QIconEngine {
public:
    explicit PaletteSymbolEngine(QIcon shape) : m_shape(std::move(shape)) { }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        const QColor tint = tintFor(mode);
        const QString key = u"threadhop-symbol-%1-%2x%3@%4-%5"_s.arg(m_shape.cacheKey())
                                .arg(size.width())
                                .arg(size.height())
                                .arg(scale)
                                .arg(tint.rgba());
        QPixmap cached;
        if (QPixmapCache::find(key, &cached))
            return cached;
        QPixmap shape = tinted(m_shape.pixmap(size, scale, QIcon::Normal, state), tint);
        QPixmapCache::insert(key, shape);
        return shape;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_shape.actualSize(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return m_shape.availableSizes(mode, state);
    }

    QString key() const override { return u"threadhop-symbol"_s; }
    QString iconName() override { return m_shape.name(); }
    QIconEngine* clone() const override { return new PaletteSymbolEngine(m_shape); }

private:
    static QColor tintFor(QIcon::Mode mode)
    {
        const QPalette palette = QGuiApplication::palette();
        switch (mode) {
        case QIcon::Disabled:
            return palette.color(QPalette::Disabled, QPalette::WindowText);
        case QIcon::Selected:
            return palette.color(QPalette::Active, QPalette::HighlightedText);
        case QIcon::Normal:
        case QIcon::Active:
            break;
        }
        return palette.color(QPalette::Active, QPalette::WindowText);
    }

    QIcon m_shape;
};

QIcon shapeOf(Symbol symbol)
{
    const Source source = sourceOf(symbol);
    const QString name = QString::fromUtf16(source.themeName);
    // Monochrome symbolic variants first, as system symbols are; themes ship them as SVG, and
    // pre-rendered as ".symbolic.png" for toolkits without an SVG icon engine.
    for (const QString& candidate : {name + u"-symbolic"_s, name + u"-symbolic.symbolic"_s, name}) {
        if (QIcon::hasThemeIcon(candidate))
            return QIcon::fromTheme(candidate);
    }
    if (const auto* shipped = std::get_if<const char16_t*>(&source.fallback))
        return QIcon(u":/threadhop/symbols/"_s + QString::fromUtf16(*shipped) + u".svg"_s);
    return QApplication::style()->standardIcon(std::get<QStyle::StandardPixmap>(source.fallback));
}

} // namespace

QIcon Symbols::icon(Symbol symbol)
{
    return QIcon(new PaletteSymbolEngine(shapeOf(symbol)));
}

QPixmap Symbols::tintedPixmap(Symbol symbol, int size, const QColor& tint)
{
    return tinted(shapeOf(symbol).pixmap(size, size), tint);
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
