#pragma once

#include "theme/Symbols.h"

#include <QString>

#include <optional>

class QPushButton;
class QWidget;

// Push buttons as the views use them. None ever becomes a dialog's default button, so Return never
// presses one by itself.
namespace threadhop::Buttons {

/// A button in the default style, with the symbol before its title when one is given.
QPushButton* plain(const QString& title, std::optional<Symbol> symbol = std::nullopt, QWidget* parent = nullptr);

/// A button filled with the accent color, for the one action a panel or sheet is about.
QPushButton* prominent(const QString& title, std::optional<Symbol> symbol = std::nullopt, QWidget* parent = nullptr);

} // namespace threadhop::Buttons
