#pragma once

#include "theme/Symbols.h"

#include <QColor>
#include <QWidget>

#include <optional>

class QLabel;

namespace threadhop {

/// A line made of a system symbol followed by a plain text, both in one color (the palette's
/// text color when none is given). A wrapping one grows in height with its text.
class SymbolLabel final : public QWidget {
    Q_OBJECT

public:
    SymbolLabel(Symbol symbol, const QString& text, const QFont& font, std::optional<QColor> color = std::nullopt,
                QWidget* parent = nullptr);

    /// Wraps the text onto as many lines as the width needs.
    SymbolLabel* wrapping();

    QString text() const;
    QColor color() const;

private:
    QLabel* m_text;
};

} // namespace threadhop
