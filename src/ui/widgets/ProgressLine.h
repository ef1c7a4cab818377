#pragma once

#include <QString>

class QWidget;

// A busy indicator with its text, as the sheets show one while the engine works.
namespace threadhop::ProgressLine {

/// An indeterminate progress bar followed by `text`, at the leading edge or, `centred`, in the
/// middle of the width it is given. The widget is named `name`.
QWidget* make(const QString& text, const QString& name, bool centred = false);

} // namespace threadhop::ProgressLine
