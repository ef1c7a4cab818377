#include "TranscriptAnalyzer.h"

#include "ToolBlocks.h"
#include "TranscriptLines.h"
#include "core/util/format/JSONParser.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <unordered_map>
#include <unordered_set>

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
        if (const auto cwd = recordedCwd(object); cwd && m_seenCwds.emplace(*cwd).second)
            m_result.recordedCwds.emplace_back(*cwd);

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
        for (const auto& [id, line] : m_calls) {
            if (m_answered.contains(id))
                continue;
            auto& list = line >= m_result.lines - 2 ? m_result.unansweredAtTail : m_result.unansweredInMiddle;
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

    void noteToolBlocks(simdjson::dom::object message, std::int64_t index)
    {
        ToolBlocks::forEach(
            message, [&](std::string_view id) { noteCall(std::string(id), index); },
            [&](std::string_view id) { noteResult(std::string(id)); });
    }

    void noteCall(std::string id, std::int64_t index)
    {
        const auto [it, added] = m_calls.insert_or_assign(std::move(id), index);
        if (added && !m_answered.contains(it->first))
            ++m_openCalls;
    }

    void noteResult(std::string id)
    {
        const bool open = m_calls.contains(id) && !m_answered.contains(id);
        m_answered.insert(std::move(id));
        if (open)
            --m_openCalls;
    }

    std::string_view m_text;
    const std::function<void(simdjson::dom::element)>& m_everyParsedLine;
    JSONParser m_parser;
    TranscriptIntegrity m_result;
    std::set<std::string, std::less<>> m_seenCwds;
    std::unordered_map<std::string, std::int64_t> m_calls;
    std::unordered_set<std::string> m_answered;
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
    JSONParser parser;
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
