#pragma once

#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

// The line rule of the readers that number a transcript's lines: the analyser, the trimmer and the
// identity rewriter's plan, so that their line numbers agree.
//
// Transcripts are split by three rules on purpose, each right for its reader; do not merge them:
// - this one (line feeds, a CR LF kept inside its line, empty lines dropped) for whole-transcript
//   analysis, where a line is one JSON record;
// - LineBreakReader (every Unicode line break) for the indexer's look at a transcript's first
//   lines, as text;
// - the rewriters' pieces between line feeds, empty ones included, which join back into the
//   file byte for byte.
namespace threadhop::TranscriptLines {

/// Calls `visit` with every non-empty piece of `text` between line feeds. A line feed directly
/// preceded by a carriage return does not split: the CR LF pair stays inside its line. A visitor
/// that returns a boolean stops the walk by returning false.
template <typename Visit>
void forEach(std::string_view text, Visit visit)
{
    const auto goOn = [&](std::string_view line) {
        if constexpr (std::is_same_v<decltype(visit(line)), bool>)
            return visit(line);
        visit(line);
        return true;
    };
    std::size_t start = 0;
    std::size_t from = 0;
    while (from < text.size()) {
        const void* found = std::memchr(text.data() + from, '\n', text.size() - from);
        if (!found)
            break;
        const std::size_t at = static_cast<const char*>(found) - text.data();
        from = at + 1;
        if (at > 0 && text[at - 1] == '\r')
            continue;
        if (at > start && !goOn(text.substr(start, at - start)))
            return;
        start = at + 1;
    }
    if (start < text.size())
        goOn(text.substr(start));
}

/// The lines of `text` as forEach gives them.
inline std::vector<std::string_view> split(std::string_view text)
{
    std::vector<std::string_view> lines;
    forEach(text, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

} // namespace threadhop::TranscriptLines
