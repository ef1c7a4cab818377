#pragma once

#include "theme/Symbols.h"

#include <QString>

#include <optional>

class QAbstractButton;
class QPushButton;
class QWidget;

// Push buttons as the views use them. None ever becomes a dialog's default button, so Return never
// presses one by itself.
namespace threadhop::Buttons {

/// A button in the default style, with the symbol before its title when one is given.
QPushButton* plain(const QString& title, std::optional<Symbol> symbol = std::nullopt, QWidget* parent = nullptr);

/// A button filled with the accent color, for the one action a panel or sheet is about.
QPushButton* prominent(const QString& title, std::optional<Symbol> symbol = std::nullopt, QWidget* parent = nullptr);

/// Gives a checkable button the look of its state: filled with the accent of the selection while
/// on, plain while off, so that the two cannot be mistaken.
void showCheckedState(QAbstractButton& button, Symbol symbol);

} // namespace threadhop::Buttons
