#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// Plain-text labels as the views use them; each helper returns the label it was given, so that
// they chain: Labels::wrapping(Labels::secondary(Labels::plain(text, font))).
namespace threadhop::Labels {

/// A label whose text is never read as markup, in `font`.
QLabel* plain(const QString& text, const QFont& font, QWidget* parent = nullptr);

/// In the secondary text color.
QLabel* secondary(QLabel* label);

/// Takes as many lines as its width needs and is never cut off in height.
QLabel* wrapping(QLabel* label);

/// Its text can be selected with the mouse and, once clicked, the keyboard, and copied; Tab passes it by.
QLabel* selectable(QLabel* label);

} // namespace threadhop::Labels
