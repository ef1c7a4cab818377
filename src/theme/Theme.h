#pragma once

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

namespace threadhop {

/// The named text styles, largest first.
enum class TextStyle { title2, title3, headline, subheadline, callout, caption, caption2 };

} // namespace threadhop

// The fonts and the colors the views share, so that a status color means the same everywhere:
// green works, orange needs a look, red is broken, grey cannot be judged. Each value is made once.
namespace threadhop::Theme {

/// Monospaced caption text: paths, commands and other machine text in small print.
const QFont& captionMono();

/// The brand accent, sRGB #D97757.
const QColor& accent();
const QColor& ok();
const QColor& warn();
const QColor& broken();
const QColor& unknown();

/// The application font scaled to `style`, in one scale relative to the body text; headline is
/// semibold, the others regular.
QFont font(TextStyle style);
QFont font(TextStyle style, QFont::Weight weight);

/// Secondary and tertiary text: the palette's text color, faded.
QColor secondaryText(const QPalette& palette);
QColor tertiaryText(const QPalette& palette);

/// Gives `widget` (a label, usually) text of `color`.
void setTextColor(QWidget& widget, const QColor& color);

} // namespace threadhop::Theme
