#include "Buttons.h"

#include <QApplication>
#include <QPushButton>

namespace threadhop {

QPushButton* Buttons::plain(const QString& title, std::optional<Symbol> symbol, QWidget* parent)
{
    auto* button = new QPushButton(title, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    if (symbol)
        button->setIcon(Symbols::icon(*symbol));
    return button;
}

QPushButton* Buttons::prominent(const QString& title, std::optional<Symbol> symbol, QWidget* parent)
{
    QPushButton* button = plain(title, std::nullopt, parent);
    // A disabled one keeps the plain look, so that it reads as disabled.
    QPalette palette = button->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Button, palette.color(group, QPalette::Highlight));
        palette.setColor(group, QPalette::ButtonText, palette.color(group, QPalette::HighlightedText));
    }
    button->setPalette(palette);
    if (symbol) {
        const int size = button->iconSize().height();
        button->setIcon(Symbols::tintedPixmap(*symbol, size, palette.color(QPalette::HighlightedText)));
    }
    return button;
}

void Buttons::showCheckedState(QAbstractButton& button, Symbol symbol)
{
    QPalette palette = QApplication::palette(&button);
    if (button.isChecked()) {
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Button, palette.color(group, QPalette::Highlight));
            palette.setColor(group, QPalette::ButtonText, palette.color(group, QPalette::HighlightedText));
        }
    }
    button.setPalette(palette);
    button.setIcon(Symbols::tintedPixmap(symbol, button.iconSize().height() * button.devicePixelRatio(),
                                         palette.color(QPalette::ButtonText)));
}

} // namespace threadhop
