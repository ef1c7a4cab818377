#include "TranscriptTrimmer.h"

#include "core/editing/JSONFieldEditor.h"
#include "core/util/format/JSONParser.h"
#include "core/validation/ToolBlocks.h"
#include "core/validation/TranscriptLines.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <vector>

#include <simdjson.h>

namespace threadhop {
namespace {

// Claude Code writes metadata lines before the first message; no more than this many count as header.
constexpr std::int64_t maxHeaderLines = 16;

using Lines = std::vector<std::string_view>;

std::int64_t headerLength(const Lines& lines, std::string_view text, JSONParser& parser)
{
    const auto limit = std::min<std::int64_t>(maxHeaderLines, static_cast<std::int64_t>(lines.size()));
    for (std::int64_t i = 0; i < limit; ++i) {
        simdjson::dom::object object;
        if (parser.parseWithin(text, lines[i]).get_object().get(object) == simdjson::SUCCESS
            && object.at_key("uuid").error() == simdjson::SUCCESS)
            return i;
    }
    return limit;
}

// For every line, the earliest call line among the results it holds: a cut after that call and at
// or before this line would separate them. A call counts at the first line that has its id.
std::vector<std::int64_t> earliestCallAnswered(const Lines& lines, std::string_view text, JSONParser& parser)
{
    std::unordered_map<std::string, std::int64_t> callLines;
    std::vector<std::pair<std::string, std::int64_t>> resultLines;
    for (std::size_t j = 0; j < lines.size(); ++j) {
        simdjson::dom::object message;
        if (parser.parseWithin(text, lines[j])["message"].get_object().get(message) != simdjson::SUCCESS)
            continue;
        const auto line = static_cast<std::int64_t>(j);
        ToolBlocks::forEach(
            message, [&](std::string_view id) { callLines.try_emplace(std::string(id), line); },
            [&](std::string_view id) { resultLines.emplace_back(std::string(id), line); });
    }
    std::vector<std::int64_t> earliest(lines.size(), std::numeric_limits<std::int64_t>::max());
    for (const auto& [id, j] : resultLines) {
        if (const auto call = callLines.find(id); call != callLines.end())
            earliest[j] = std::min(earliest[j], call->second);
    }
    return earliest;
}

// The latest cut at or before `initial` that no result after it points back across. Moving the
// cut to a call before it, pass after pass until nothing moves, ends at exactly this line: every
// move lands on a call that such a cut must include, and the passes only stop at such a cut.
std::int64_t replayableCut(const std::vector<std::int64_t>& earliest, std::int64_t initial)
{
    std::int64_t earliestCallFromCut = std::numeric_limits<std::int64_t>::max();
    for (auto j = static_cast<std::int64_t>(earliest.size()) - 1; j >= initial; --j)
        earliestCallFromCut = std::min(earliestCallFromCut, earliest[j]);
    std::int64_t cut = initial;
    while (earliestCallFromCut < cut) {
        --cut;
        earliestCallFromCut = std::min(earliestCallFromCut, earliest[cut]);
    }
    return cut;
}

} // namespace

TranscriptTrimmer::Output TranscriptTrimmer::trim(std::string_view text, std::int64_t toLastMessages)
{
    const Lines lines = TranscriptLines::split(text);
    const auto total = static_cast<std::int64_t>(lines.size());
    const std::int64_t n = toLastMessages;
    if (n < 1 || total <= n) {
        return {std::string(text),
                {.keptLines = total, .keptBytes = static_cast<std::int64_t>(text.size()), .requestedMessages = n}};
    }
    JSONParser parser;
    const std::int64_t header = headerLength(lines, text, parser);
    const std::int64_t initial = std::max(total - n, header);
    const std::int64_t start = std::max(header, replayableCut(earliestCallAnswered(lines, text, parser), initial));

    std::string out;
    std::size_t size = 0;
    for (std::int64_t i = 0; i < total; ++i) {
        if (i < header || i >= start)
            size += lines[i].size() + 1;
    }
    out.reserve(size + 16);
    for (std::int64_t i = 0; i < header; ++i)
        out.append(lines[i]).push_back('\n');
    for (std::int64_t i = start; i < total; ++i) {
        const auto rooted = i == start ? rootify(lines[i]) : std::nullopt;
        out.append(rooted ? std::string_view(*rooted) : lines[i]).push_back('\n');
    }
    const std::int64_t kept = header + (total - start);
    Result result{.keptLines = kept,
                  .droppedLines = total - kept,
                  .keptBytes = static_cast<std::int64_t>(out.size()),
                  .requestedMessages = n,
                  .boundaryMovedBy = initial - start};
    return {std::move(out), result};
}

std::optional<std::string> TranscriptTrimmer::rootify(std::string_view line)
{
    JSONParser parser;
    simdjson::dom::object object;
    if (parser.parse(line).get_object().get(object) != simdjson::SUCCESS
        || object["parentUuid"].get_string().error() != simdjson::SUCCESS)
        return std::nullopt;
    static const JSONFieldEditor::KeySet parentKey{"parentUuid"};
    std::string emptied = JSONFieldEditor::replaceStringFields(
        line, parentKey,
        [](std::string_view, std::string_view) -> std::optional<std::string_view> { return std::string_view(); });
    constexpr std::string_view compactEmpty = R"("parentUuid":"")";
    constexpr std::string_view compactNull = R"("parentUuid":null)";
    for (std::size_t at = 0; (at = emptied.find(compactEmpty, at)) != std::string::npos; at += compactNull.size())
        emptied.replace(at, compactEmpty.size(), compactNull);
    return emptied;
}

} // namespace threadhop
