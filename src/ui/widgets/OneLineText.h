#pragma once

#include <QString>

#include <string_view>

// How text from outside the program (a directory, a folder's name) reads where it has one line.
namespace threadhop::OneLineText {

/// `text` on one line: a line break reads `\n`, a tab `\t`, any other control character below
/// U+0080 and DEL `\xNN`; the other control characters and the line and paragraph separators
/// `\uNNNN`; and each byte that is not part of a UTF-8 character `\xNN`. The row keeps to its line,
/// and two names that differ only there look different. Tooltips and copies keep the text itself.
QString of(std::string_view text);

} // namespace threadhop::OneLineText
