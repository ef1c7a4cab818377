#include "TranscriptAnalyzer.h"

#include "ToolBlocks.h"
#include "TranscriptLines.h"
#include "core/util/format/JSONParser.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <set>
#include <unordered_map>

#include <simdjson.h>

namespace threadhop {
namespace {

constexpr std::int64_t maxCount = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t minCount = std::numeric_limits<std::int64_t>::min();

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? maxCount : minCount;
    return sum;
}

// A token count as the usage object gives it: a number's integer part, true as 1, else 0.
std::int64_t tokenCount(simdjson::simdjson_result<simdjson::dom::element> value)
{
    simdjson::dom::element element;
    if (value.get(element) != simdjson::SUCCESS)
        return 0;
    switch (element.type()) {
    case simdjson::dom::element_type::INT64:
        return element.get_int64().value_unsafe();
    case simdjson::dom::element_type::UINT64: {
        const std::uint64_t count = element.get_uint64().value_unsafe();
        return count > static_cast<std::uint64_t>(maxCount) ? maxCount : static_cast<std::int64_t>(count);
    }
    case simdjson::dom::element_type::DOUBLE: {
        const double count = std::trunc(element.get_double().value_unsafe());
        if (std::isnan(count))
            return 0;
        if (count >= 9.2e18)
            return maxCount;
        if (count <= -9.2e18)
            return minCount;
        return static_cast<std::int64_t>(count);
    }
    case simdjson::dom::element_type::BOOL:
        return element.get_bool().value_unsafe() ? 1 : 0;
    default:
        return 0;
    }
}

// The working directory a line records: its top-level "cwd" when that is a non-empty string.
std::optional<std::string_view> recordedCwd(simdjson::dom::object line)
{
    std::string_view cwd;
    if (line.at_key("cwd").get_string().get(cwd) != simdjson::SUCCESS || cwd.empty())
        return std::nullopt;
    return cwd;
}

// Looks tool-use ids up by view, so that a line's ids are copied only when first seen.
struct IdHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>{}(id); }
};

// What the transcript said so far of one tool-use id.
struct ToolUse {
    std::optional<std::int64_t> callLine; ///< the line of its (last) call
    bool answered = false;
};

// Lines longer than this leave the parser that read them grown too large to keep.
constexpr std::size_t keptParserLineBytes = 1 << 20;

thread_local std::unique_ptr<JSONParser> keptParser;

// This thread's parser, kept from transcript to transcript: growing a fresh parser to each
// transcript's longest line, and faulting in its buffers, costs more than parsing the short lines
// (transcripts come one after another on a worker). An analysis nested in another on the same
// thread gets a parser of its own.
class ReusedParser final {
public:
    ReusedParser() : m_parser(keptParser ? std::move(keptParser) : std::make_unique<JSONParser>()) { }
    ~ReusedParser()
    {
        if (m_longestLine <= keptParserLineBytes)
            keptParser = std::move(m_parser);
    }
    ReusedParser(const ReusedParser&) = delete;
    ReusedParser& operator=(const ReusedParser&) = delete;

    simdjson::simdjson_result<simdjson::dom::element> parseWithin(std::string_view text, std::string_view line)
    {
        m_longestLine = std::max(m_longestLine, line.size());
        return m_parser->parseWithin(text, line);
    }

private:
    std::unique_ptr<JSONParser> m_parser;
    std::size_t m_longestLine = 0;
};

class Analysis final {
public:
    Analysis(std::string_view text, const std::function<void(simdjson::dom::element)>& everyParsedLine)
        : m_text(text), m_everyParsedLine(everyParsedLine)
    {
    }

    void add(std::string_view line)
    {
        const std::int64_t index = m_result.lines++;
        simdjson::dom::element element;
        const bool parsed = parse(line).get(element) == simdjson::SUCCESS;
        if (parsed && m_everyParsedLine)
            m_everyParsedLine(element);
        simdjson::dom::object object;
        if (!parsed || element.get_object().get(object) != simdjson::SUCCESS) {
            ++m_result.invalidLines;
            return;
        }
        if (const auto cwd = recordedCwd(object))
            noteCwd(*cwd);

        simdjson::dom::object message;
        if (object.at_key("message").get_object().get(message) == simdjson::SUCCESS) {
            noteUsage(message);
            noteToolBlocks(message, index);
        }
        if (m_openCalls == 0)
            m_lastComplete = index;
    }

    TranscriptIntegrity finish() &&
    {
        for (const auto& [id, use] : m_toolUses) {
            if (!use.callLine || use.answered)
                continue;
            auto& list = *use.callLine >= m_result.lines - 2 ? m_result.unansweredAtTail : m_result.unansweredInMiddle;
            list.push_back(id);
        }
        std::sort(m_result.unansweredAtTail.begin(), m_result.unansweredAtTail.end());
        std::sort(m_result.unansweredInMiddle.begin(), m_result.unansweredInMiddle.end());
        if (!m_result.unansweredAtTail.empty() || !m_result.unansweredInMiddle.empty())
            m_result.lastCompleteLineIndex = m_lastComplete;
        if (!m_result.recordedCwds.empty())
            m_result.launchCwd = m_result.recordedCwds.front();
        m_result.lastContextTokens = m_contextTokens;
        return std::move(m_result);
    }

private:
    simdjson::simdjson_result<simdjson::dom::element> parse(std::string_view line)
    {
        return m_parser.parseWithin(m_text, line);
    }

    void noteUsage(simdjson::dom::object message)
    {
        simdjson::dom::object usage;
        if (message.at_key("usage").get_object().get(usage) != simdjson::SUCCESS)
            return;
        std::int64_t sum = 0;
        for (const char* key : {"input_tokens", "cache_read_input_tokens", "cache_creation_input_tokens"})
            sum = saturatingAdd(sum, tokenCount(usage.at_key(key)));
        if (sum > 0)
            m_contextTokens = sum;
    }

    // Nearly every line records the directory of the line before it: that one is known already.
    void noteCwd(std::string_view cwd)
    {
        if (cwd == m_lastCwd)
            return;
        m_lastCwd.assign(cwd);
        if (m_seenCwds.find(cwd) != m_seenCwds.end())
            return;
        m_seenCwds.emplace(cwd);
        m_result.recordedCwds.emplace_back(cwd);
    }

    void noteToolBlocks(simdjson::dom::object message, std::int64_t index)
    {
        ToolBlocks::forEach(
            message, [&](std::string_view id) { noteCall(id, index); }, [&](std::string_view id) { noteResult(id); });
    }

    ToolUse& toolUse(std::string_view id)
    {
        if (const auto it = m_toolUses.find(id); it != m_toolUses.end())
            return it->second;
        return m_toolUses.emplace(std::string(id), ToolUse{}).first->second;
    }

    void noteCall(std::string_view id, std::int64_t index)
    {
        ToolUse& use = toolUse(id);
        if (!use.callLine && !use.answered)
            ++m_openCalls;
        use.callLine = index;
    }

    void noteResult(std::string_view id)
    {
        ToolUse& use = toolUse(id);
        if (use.callLine && !use.answered)
            --m_openCalls;
        use.answered = true;
    }

    std::string_view m_text;
    const std::function<void(simdjson::dom::element)>& m_everyParsedLine;
    ReusedParser m_parser;
    TranscriptIntegrity m_result;
    std::set<std::string, std::less<>> m_seenCwds;
    std::string m_lastCwd;
    std::unordered_map<std::string, ToolUse, IdHash, std::equal_to<>> m_toolUses;
    std::int64_t m_openCalls = 0;
    std::optional<std::int64_t> m_lastComplete;
    std::optional<std::int64_t> m_contextTokens;
};

} // namespace

TranscriptIntegrity TranscriptAnalyzer::analyze(std::string_view text)
{
    return analyze(text, {});
}

TranscriptIntegrity TranscriptAnalyzer::analyze(std::string_view text,
                                                const std::function<void(simdjson::dom::element)>& everyParsedLine)
{
    Analysis analysis(text, everyParsedLine);
    TranscriptLines::forEach(text, [&](std::string_view line) { analysis.add(line); });
    return std::move(analysis).finish();
}

std::optional<std::string> TranscriptAnalyzer::launchCwd(std::string_view text)
{
    ReusedParser parser;
    std::optional<std::string> found;
    TranscriptLines::forEach(text, [&](std::string_view line) {
        simdjson::dom::object object;
        if (parser.parseWithin(text, line).get_object().get(object) == simdjson::SUCCESS) {
            if (const auto cwd = recordedCwd(object))
                found = std::string(*cwd);
        }
        return !found;
    });
    return found;
}

} // namespace threadhop
