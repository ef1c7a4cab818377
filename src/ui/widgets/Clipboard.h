#pragma once

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

namespace threadhop::Clipboard {

/// The copy rule of every copy button: clear the system clipboard, then put `text` on it as plain
/// text. No confirmation of any kind.
inline void copy(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace threadhop::Clipboard
