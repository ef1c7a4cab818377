#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Cuts a transcript down to its last lines while keeping it replayable: the leading metadata lines
// stay, a tool call is never separated from its result, and the first kept message becomes the
// root of the conversation. Works on text only; reading and writing files is the caller's business.
namespace threadhop::TranscriptTrimmer {

/// The outcome of one trim. Lines are the non-empty lines of the transcript analyser's rule.
struct Result {
    std::int64_t keptLines = 0;
    std::int64_t droppedLines = 0;      ///< non-empty input lines not in the output
    std::int64_t keptBytes = 0;         ///< length of the output text in bytes
    std::int64_t requestedMessages = 0; ///< the n asked for
    std::int64_t boundaryMovedBy = 0;   ///< lines the cut moved back to keep calls with their results

    bool operator==(const Result&) const = default;
};

/// The trimmed text and its counts.
struct Output {
    std::string text;
    Result result;

    bool operator==(const Output&) const = default;
};

/// The transcript cut to its last `toLastMessages` lines. When n < 1 or the transcript has no more
/// than n lines, the text comes back unchanged, blank lines included. Otherwise: the leading lines
/// without a "uuid" member (at most 16) stay as a header; the cut moves back until every tool result
/// at or after it has its call (first line with that id) at or after it too; the first kept line
/// after the header is re-rooted; blank lines are dropped and the text ends with one line feed.
/// Never fails: lines that are not JSON are kept or dropped like any other line.
Output trim(std::string_view text, std::int64_t toLastMessages);

/// The line with its parent link cleared: every "parentUuid" string value emptied, and the compact
/// "parentUuid":"" then written as "parentUuid":null. Nothing when the line is not a JSON object
/// whose top-level "parentUuid" is a string.
std::optional<std::string> rootify(std::string_view line);

} // namespace threadhop::TranscriptTrimmer
