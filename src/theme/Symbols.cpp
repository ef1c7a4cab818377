#include "Symbols.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmapCache>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

struct Source {
    const char16_t* themeName;
    /// The symbol shipped with the program, for where the theme lacks it or there is no theme: Qt's
    /// standard icons are pictures on an opaque ground or full-color pictures, which drawn in one
    /// color lose their inner shapes.
    const char16_t* shippedName;
};

// A missing case is an error, not a warning: every symbol must name its icon.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
Source sourceOf(Symbol symbol)
{
    switch (symbol) {
    case Symbol::arrowClockwise:
        return {u"view-refresh", u"arrow-clockwise"};
    case Symbol::arrowLeftArrowRightCircle:
        return {u"media-playlist-repeat", u"arrow-left-arrow-right-circle"};
    case Symbol::arrowRightDocOnClipboard:
        return {u"document-send", u"arrow-right-doc-on-clipboard"};
    case Symbol::arrowTriangleBranch:
        return {u"media-playlist-shuffle", u"arrow-triangle-branch"};
    case Symbol::boltHorizontalCircleFill:
        return {u"thunderbolt", u"bolt-horizontal-circle-fill"};
    case Symbol::bubbleLeft:
        return {u"user-available", u"bubble-left"};
    case Symbol::bubbleLeftAndBubbleRight:
        return {u"user-available", u"bubble-left-and-bubble-right"};
    case Symbol::checkmarkCircle:
        return {u"object-select", u"checkmark-circle"};
    case Symbol::checkmarkSeal:
        return {u"emblem-ok", u"checkmark-seal"};
    case Symbol::checkmarkSealFill:
        return {u"emblem-default", u"checkmark-seal-fill"};
    case Symbol::chevronDown:
        return {u"pan-down", u"chevron-down"};
    case Symbol::chevronRight:
        return {u"pan-end", u"chevron-right"};
    case Symbol::circle:
        return {u"radio", u"circle"};
    case Symbol::clockArrowCirclepath:
        return {u"document-open-recent", u"clock-arrow-circlepath"};
    case Symbol::clockBadgeXmark:
        return {u"appointment-missed", u"clock-badge-xmark"};
    case Symbol::creditcard:
        return {u"auth-smartcard", u"creditcard"};
    case Symbol::docOnDoc:
        return {u"edit-copy", u"doc-on-doc"};
    case Symbol::docTextMagnifyingglass:
        return {u"document-print-preview", u"doc-text-magnifyingglass"};
    case Symbol::exclamationmarkOctagonFill:
        return {u"process-stop", u"exclamationmark-octagon-fill"};
    case Symbol::exclamationmarkTriangle:
        return {u"dialog-warning", u"exclamationmark-triangle"};
    case Symbol::exclamationmarkTriangleFill:
        return {u"dialog-warning", u"exclamationmark-triangle-fill"};
    case Symbol::externaldrive:
        return {u"drive-harddisk", u"externaldrive"};
    case Symbol::folder:
        return {u"folder", u"folder"};
    case Symbol::hourglass:
        return {u"content-loading", u"hourglass"};
    case Symbol::largecircleFillCircle:
        return {u"radio-checked", u"largecircle-fill-circle"};
    case Symbol::lock:
        return {u"changes-prevent", u"lock"};
    case Symbol::magnifyingglass:
        return {u"edit-find", u"magnifyingglass"};
    case Symbol::pencil:
        return {u"document-edit", u"pencil"};
    case Symbol::person2:
        return {u"system-users", u"person-2"};
    case Symbol::personSlash:
        return {u"avatar-default", u"person-slash"};
    case Symbol::squareStack3dDownForward:
        return {u"view-paged", u"square-stack-3d-down-forward"};
    case Symbol::terminal:
        return {u"utilities-terminal", u"terminal"};
    case Symbol::trayAndArrowDown:
        return {u"document-save", u"tray-and-arrow-down"};
    case Symbol::xmarkCircleFill:
        return {u"edit-clear", u"xmark-circle-fill"};
    case Symbol::xmarkOctagonFill:
        return {u"dialog-error", u"xmark-octagon-fill"};
    }
    return {u"", u""};
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
    return QIcon(u":/threadhop/symbols/"_s + QString::fromUtf16(source.shippedName) + u".svg"_s);
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
