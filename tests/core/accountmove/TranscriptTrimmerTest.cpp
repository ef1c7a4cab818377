#include "core/accountmove/TranscriptTrimmer.h"

#include "core/validation/ToolBlocks.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "core/validation/TranscriptLines.h"
#include "support/MigrationTest.h"

#include <random>

#include <simdjson.h>

namespace threadhop::testing {
namespace {

using TranscriptTrimmer::trim;

std::string meta(int i)
{
    return R"({"type":"summary","i":)" + std::to_string(i) + "}";
}

std::string message(int i, std::string_view rest = R"("type":"user")")
{
    const std::string n = std::to_string(i);
    return R"({"parentUuid":"p)" + n + R"(",)" + std::string(rest) + R"(,"uuid":"u)" + n + R"("})";
}

// Message line `i` as the first kept line: without its parent.
std::string root(int i)
{
    return R"({"parentUuid":null,"type":"user","uuid":"u)" + std::to_string(i) + R"("})";
}

// Metadata lines `from` to `to` (not included), each ended by a line feed; the same for messages.
std::string metas(int from, int to)
{
    std::string text;
    for (int i = from; i < to; ++i)
        text += meta(i) + "\n";
    return text;
}
std::string messages(int from, int to)
{
    std::string text;
    for (int i = from; i < to; ++i)
        text += message(i) + "\n";
    return text;
}

// 3 metadata lines, then message lines 3 to 102; `special` replaces chosen message lines.
std::string transcript(const std::map<int, std::string>& special = {})
{
    std::string text;
    for (int i = 0; i < 103; ++i) {
        const auto found = special.find(i);
        text += (i < 3 ? meta(i) : found != special.end() ? found->second : message(i)) + "\n";
    }
    return text;
}

TEST(TranscriptTrimmerTest, KeepsTheHeaderAndTheLastLinesAndReRootsTheFirstKeptLine)
{
    const std::string uncut = "\n" + message(0) + "\n\n" + message(1); // blank lines, no final line feed
    const std::string deep(200000, '[');
    const std::string bad = "not json\n\xC3\x28 invalid utf-8\n" + deep + "\n";
    const struct {
        std::string text;
        std::int64_t n;
        std::string expected;
        std::int64_t kept, dropped;
    } cases[] = {
        // Nothing to cut: the text comes back unchanged.
        {uncut, 0, uncut, 2, 0},
        {uncut, -3, uncut, 2, 0},
        {uncut, 2, uncut, 2, 0},
        {uncut, 5, uncut, 2, 0},
        {"", 1, "", 0, 0},
        {"\n\n\n", 1, "\n\n\n", 0, 0},
        {transcript(), 10, metas(0, 3) + root(93) + "\n" + messages(94, 103), 13, 90},
        // The header holds at most sixteen lines, and stays whole where the cut would fall inside it.
        {metas(0, 20) + messages(20, 30), 5, metas(0, 16) + root(25) + "\n" + messages(26, 30), 21, 9},
        {metas(0, 2) + messages(2, 4), 3, metas(0, 2) + root(2) + "\n" + messages(3, 4), 4, 0},
        // Blank lines are dropped, and the text ends with one line feed.
        {meta(0) + "\n\n" + message(1) + "\n\n\n" + message(2) + "\n" + message(3) + "\n\n", 2,
         meta(0) + "\n" + root(2) + "\n" + message(3) + "\n", 3, 1},
        // Lines that are no JSON count like any other (the leading ones as header); a CR LF stays in its line.
        {bad + message(3) + "\n\xFF\xFE\n" + message(5) + "\r\n" + message(6), 3,
         bad + root(3) + "\n\xFF\xFE\n" + message(5) + "\r\n" + message(6) + "\n", 6, 0},
    };
    for (const auto& [text, n, expected, kept, dropped] : cases) {
        SCOPED_TRACE(text.substr(0, 80) + " to " + std::to_string(n));
        const auto output = trim(text, n);
        EXPECT_EQ(output.text, expected);
        EXPECT_EQ(output.result,
                  (TranscriptTrimmer::Result{.keptLines = kept,
                                             .droppedLines = dropped,
                                             .keptBytes = static_cast<std::int64_t>(expected.size()),
                                             .requestedMessages = n,
                                             .boundaryMovedBy = 0}));
    }
}

// Where the cut lands is checked against repeated passes below; here, what those do not cover.
TEST(TranscriptTrimmerTest, CutMovesBackToKeepCallsWithTheirResults)
{
    // The call just before the cut (93): the cut moves to the call, which becomes the root.
    const auto moved = trim(transcript({{92, message(92, toolUse("a"))}, {94, message(94, toolResult("a"))}}), 10);
    EXPECT_EQ(std::tuple(moved.result.boundaryMovedBy, moved.result.keptLines), std::tuple(1, 14));
    EXPECT_EQ(TranscriptLines::split(moved.text)[3],
              R"({"parentUuid":null,"message":{"content":[{"type":"tool_use","id":"a"}]},"uuid":"u92"})");
    // The first line that has an id is its call: a repeat after the cut does not hide the earlier one.
    const auto repeated = transcript(
        {{80, message(80, toolUse("r"))}, {95, message(95, toolUse("r"))}, {96, message(96, toolResult("r"))}});
    EXPECT_EQ(trim(repeated, 10).result.boundaryMovedBy, 13);
}

// The cut as a pass over the (result id, line) pairs computes it, repeated until nothing moves.
std::int64_t cutByPasses(const std::vector<std::pair<std::string, int>>& results,
                         const std::map<std::string, int>& uses, std::int64_t cut)
{
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& [id, j] : results) {
            const auto use = uses.find(id);
            if (j >= cut && use != uses.end() && use->second < cut) {
                cut = use->second;
                changed = true;
            }
        }
    }
    return cut;
}

TEST(TranscriptTrimmerTest, CutAgreesWithRepeatedPassesOnRandomTranscripts)
{
    std::mt19937 random(20240501);
    int moved = 0;
    for (int round = 0; round < 300; ++round) {
        std::map<int, std::string> special;
        std::map<std::string, int> uses;
        std::vector<std::pair<std::string, int>> results;
        std::uniform_int_distribution<int> line(3, 102);
        for (int call = 0; call < 12; ++call) {
            const int at = line(random);
            const int answer = line(random);
            if (special.contains(at) || special.contains(answer) || at == answer)
                continue;
            const std::string id = "c" + std::to_string(call);
            special[at] = message(at, toolUse(id));
            special[answer] = message(answer, toolResult(id));
            uses[id] = at;
            results.emplace_back(id, answer);
        }
        std::sort(results.begin(), results.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        const std::int64_t n = std::uniform_int_distribution<int>(1, 99)(random);
        const std::int64_t initial = std::max<std::int64_t>(103 - n, 3);
        const auto output = trim(transcript(special), n);
        const std::int64_t expected = std::max<std::int64_t>(3, cutByPasses(results, uses, initial));
        EXPECT_EQ(initial - output.result.boundaryMovedBy, expected) << "round " << round;
        moved += output.result.boundaryMovedBy > 0 ? 1 : 0;
    }
    EXPECT_GT(moved, 100); // the rounds do exercise the moving cut
}

TEST(TranscriptTrimmerTest, Rootify)
{
    using TranscriptTrimmer::rootify;
    EXPECT_EQ(rootify(R"({"parentUuid":"abc","uuid":"u"})"), R"({"parentUuid":null,"uuid":"u"})");
    // Written with a blank after the colon: the compact form is not there, so the value stays "".
    EXPECT_EQ(rootify(R"({"parentUuid": "abc","uuid":"u"})"), R"({"parentUuid": "","uuid":"u"})");
    // Nested parent links are cleared too; escapes inside a value do not confuse the editor.
    EXPECT_EQ(rootify(R"({"parentUuid":"a\"b","x":{"parentUuid":"c"}})"),
              R"({"parentUuid":null,"x":{"parentUuid":null}})");
    for (const char* line : {R"({"parentUuid":null,"uuid":"u"})", R"({"uuid":"u","x":{"parentUuid":"c"}})",
                             R"(["parentUuid","abc"])", "not json"})
        EXPECT_EQ(rootify(line), std::nullopt) << line;
}

// The call and result ids of every line of `text`.
std::pair<std::set<std::string>, std::set<std::string>> toolIds(std::string_view text)
{
    std::pair<std::set<std::string>, std::set<std::string>> ids;
    simdjson::dom::parser parser;
    for (const auto line : TranscriptLines::split(text)) {
        simdjson::dom::object content;
        if (parser.parse(simdjson::padded_string(line))["message"].get_object().get(content) == simdjson::SUCCESS)
            ToolBlocks::forEach(
                content, [&](std::string_view id) { ids.first.emplace(id); },
                [&](std::string_view id) { ids.second.emplace(id); });
    }
    return ids;
}

TEST(TranscriptTrimmerTest, RealSessionTrimmedToItsLast200LinesKeepsEveryResultsCall)
{
    const std::string text = readFile(fixtureTranscripts() / (std::string(MigrationTest::realSession) + ".jsonl"));
    const auto output = trim(text, 200);
    EXPECT_GE(output.result.keptLines, 200);
    EXPECT_EQ(output.result.keptLines + output.result.droppedLines, TranscriptAnalyzer::analyze(text).lines);
    EXPECT_EQ(TranscriptAnalyzer::analyze(output.text).invalidLines, 0);
    const auto [calls, _] = toolIds(text);
    const auto [keptCalls, keptResults] = toolIds(output.text);
    EXPECT_FALSE(keptResults.empty());
    for (const auto& id : keptResults)
        EXPECT_TRUE(!calls.contains(id) || keptCalls.contains(id)) << id;
}

} // namespace
} // namespace threadhop::testing
