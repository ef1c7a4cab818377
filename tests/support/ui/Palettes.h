#pragma once

#include <QApplication>
#include <QPalette>
#include <QStyle>

namespace threadhop::testing {

/// A dark palette as dark desktop themes give one: light text on dark grey, a blue selection.
inline QPalette darkPalette()
{
    QPalette dark;
    const QColor window(0x24, 0x24, 0x24);
    const QColor text(0xee, 0xee, 0xee);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::WindowText, text);
        dark.setColor(group, QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(group, QPalette::AlternateBase, QColor(0x2a, 0x2a, 0x2a));
        dark.setColor(group, QPalette::Text, text);
        dark.setColor(group, QPalette::Button, QColor(0x33, 0x33, 0x33));
        dark.setColor(group, QPalette::ButtonText, text);
        dark.setColor(group, QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
        dark.setColor(group, QPalette::ToolTipBase, window);
        dark.setColor(group, QPalette::ToolTipText, text);
        dark.setColor(group, QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
        dark.setColor(group, QPalette::Link, QColor(0x78, 0xae, 0xed));
        dark.setColor(group, QPalette::Light, QColor(0x50, 0x50, 0x50));
        dark.setColor(group, QPalette::Midlight, QColor(0x40, 0x40, 0x40));
        dark.setColor(group, QPalette::Mid, QColor(0x30, 0x30, 0x30));
        dark.setColor(group, QPalette::Dark, QColor(0x18, 0x18, 0x18));
        dark.setColor(group, QPalette::Shadow, Qt::black);
    }
    const QColor faded(0x80, 0x80, 0x80);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, faded);
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::Highlight})
        dark.setColor(QPalette::Disabled, role, dark.color(QPalette::Active, role));
    return dark;
}

/// The style's own light palette.
inline QPalette lightPalette()
{
    return QApplication::style()->standardPalette();
}

/// While alive, the application draws in `palette`; the palette before comes back after.
class ScopedPalette final {
public:
    explicit ScopedPalette(const QPalette& palette) : m_previous(QApplication::palette())
    {
        QApplication::setPalette(palette);
    }
    ~ScopedPalette() { QApplication::setPalette(m_previous); }
    ScopedPalette(const ScopedPalette&) = delete;
    ScopedPalette& operator=(const ScopedPalette&) = delete;

private:
    QPalette m_previous;
};

} // namespace threadhop::testing
