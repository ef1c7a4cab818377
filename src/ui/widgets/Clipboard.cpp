#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace threadhop {

void Clipboard::copy(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace threadhop
