#pragma once

#include <QString>

namespace threadhop::Clipboard {

/// The copy rule of every copy button: clear the system clipboard, then put `text` on it as plain
/// text. No confirmation of any kind.
void copy(const QString& text);

} // namespace threadhop::Clipboard
