#pragma once

#include <QString>

// The interface's texts are written for macOS. Elsewhere a text that names a macOS thing uses this
// platform's word for it, and nothing else in the text changes.
namespace threadhop::PlatformWords {

/// `text` as this platform says it: unchanged on macOS; elsewhere with the macOS names replaced.
QString say(const QString& text);

} // namespace threadhop::PlatformWords
