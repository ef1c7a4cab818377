#pragma once

#include <cstring>
#include <string_view>

namespace threadhop {

/// Calls `visit(piece, last)` for every piece of `text` between line feeds, the line feeds left
/// out and empty pieces included; `last` marks the piece after the last line feed (empty when the
/// text ends with one). The pieces joined with line feeds give the text back byte for byte.
template <typename Visit>
void forEachLineFeedPiece(std::string_view text, Visit visit)
{
    for (std::size_t start = 0;;) {
        const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
        if (!found) {
            visit(text.substr(start), true);
            return;
        }
        const std::size_t end = static_cast<const char*>(found) - text.data();
        visit(text.substr(start, end - start), false);
        start = end + 1;
    }
}

} // namespace threadhop
