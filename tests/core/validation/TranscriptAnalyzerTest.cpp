#include "core/validation/TranscriptAnalyzer.h"

#include "support/MigrationTest.h"

namespace threadhop::testing {
namespace {

// One line of a message holding `message` members, as toolUse() and toolResult() give them.
std::string with(const std::string& message)
{
    return "{" + message + "}\n";
}

std::string plain(int i)
{
    return R"({"type":"user","i":)" + std::to_string(i) + "}\n";
}

TEST(TranscriptAnalyzerTest, UnansweredCallsInvalidLinesAndLineBreaks)
{
    std::string middle;
    for (int i = 0; i < 10; ++i)
        middle += i == 3 ? with(toolUse("z")) : i == 5 ? with(toolUse("y")) + with(toolResult("y")) : plain(i);
    const std::pair<std::string, TranscriptIntegrity> cases[] = {
        {plain(0) + with(toolUse("a")) + with(toolResult("a")) + with(toolUse("b")),
         {.lines = 4, .unansweredAtTail = {"b"}, .lastCompleteLineIndex = 2}},
        // A call on the second-to-last line still stands at the tail.
        {plain(0) + with(toolUse("c")) + plain(2), {.lines = 3, .unansweredAtTail = {"c"}, .lastCompleteLineIndex = 0}},
        // A single line holding an unanswered call: lines − 2 is −1, so it is a tail call.
        {with(toolUse("only")), {.lines = 1, .unansweredAtTail = {"only"}}},
        {middle, {.lines = 11, .unansweredInMiddle = {"z"}, .lastCompleteLineIndex = 2}},
        // Answered before the call: answering is by id, not position; a repeated id moves to its later line.
        {with(toolResult("r")) + with(toolUse("r")) + with(toolUse("q")) + plain(1) + plain(2) + with(toolUse("q")),
         {.lines = 6, .unansweredAtTail = {"q"}, .lastCompleteLineIndex = 1}},
        // An array, and a half-written last line, are invalid.
        {with(toolUse("a")) + R"({"message":{"content":["text",{"type":"tool_result","tool_use_id":"a"}]}})" + "\n"
             + R"([1,2])" + "\n" + R"({"message":{"content":[{"type":"tool_result","tool_use_id":"a"}]})",
         {.lines = 4, .invalidLines = 2, .unansweredInMiddle = {"a"}}},
        {"", {}},
        {"\n\n", {}},
        // A CR LF pair is no line break: it joins the two objects into one line.
        {"{\"cwd\":\"/a\"}\r\n{\"cwd\":\"/b\"}\r\n", {.lines = 1, .invalidLines = 1}},
        {"{}\r\n", {.lines = 1}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TranscriptAnalyzer::analyze(text), expected) << text;
}

TEST(TranscriptAnalyzerTest, ContextSizeKeepsTheLastPositiveSum)
{
    const auto tokens = [](const std::string& fields) {
        return TranscriptAnalyzer::analyze(R"({"message":{"usage":{)" + fields + "}}}\n").lastContextTokens;
    };
    const auto result = TranscriptAnalyzer::analyze(
        R"({"message":{"usage":{"input_tokens":10,"cache_read_input_tokens":2000,"cache_creation_input_tokens":5,)"
        R"("output_tokens":300}}})"
        "\n"
        R"({"message":{"usage":{"input_tokens":0,"cache_read_input_tokens":0,"cache_creation_input_tokens":0}}})");
    EXPECT_EQ(result.lastContextTokens, 2015);
    EXPECT_EQ(tokens(R"("input_tokens":7.9,"cache_read_input_tokens":true,"cache_creation_input_tokens":"5")"), 8);
    EXPECT_EQ(tokens(R"("input_tokens":9223372036854775807,"cache_read_input_tokens":9223372036854775807)"),
              std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(tokens(R"("output_tokens":5)"));
}

TEST(TranscriptAnalyzerTest, RecordedDirectoriesAndDrift)
{
    const auto result =
        TranscriptAnalyzer::analyze(cwdLine("/a") + cwdLine("/a/sub") + cwdLine("/b") + cwdLine("/a") + cwdLine("/ab")
                                    + cwdLine("") + "{\"message\":{\"cwd\":\"/m\"}}\n");
    EXPECT_EQ(std::tie(result.recordedCwds, result.launchCwd),
              std::tuple(std::vector<std::string>{"/a", "/a/sub", "/b", "/ab"}, "/a"));
    EXPECT_EQ(result.driftedOutOfTree(), (std::vector<std::string>{"/b", "/ab"}));
    EXPECT_TRUE(TranscriptIntegrity{.recordedCwds = {"/x"}}.driftedOutOfTree().empty());
}

TEST(TranscriptAnalyzerTest, LaunchDirectoryAloneAgreesWithTheFullAnalysis)
{
    for (const std::string& text :
         {std::string(), cwdLine("") + "not json\n{\"message\":{\"cwd\":\"/m\"}}\n" + cwdLine("/a") + cwdLine("/b"),
          std::string("[{\"cwd\":\"/x\"}]\n{\"cwd\":7}\n"),
          "{\"cwd\":\"/a\"}\r\n" + cwdLine("/b") + "{\"cwd\":\"/c\"}"})
        EXPECT_EQ(TranscriptAnalyzer::launchCwd(text), TranscriptAnalyzer::analyze(text).launchCwd) << text;
}

// Parsers are kept from one analysis to the next on a thread; one analysis inside another (from a
// line's callback) must not read its lines through the parser the outer one still reads from.
TEST(TranscriptAnalyzerTest, AnAnalysisInsideAnotherLeavesTheOuterLinesIntact)
{
    const std::string outer = cwdLine("/outer") + with(toolUse("o")) + cwdLine("/outer/sub");
    const std::string inner = with(toolResult("i")) + cwdLine("/inner") + with(toolUse("j"));
    std::vector<TranscriptIntegrity> inside;
    const auto nested = TranscriptAnalyzer::analyze(
        outer, [&](simdjson::dom::element) { inside.push_back(TranscriptAnalyzer::analyze(inner)); });
    EXPECT_EQ(nested, TranscriptAnalyzer::analyze(outer));
    EXPECT_EQ(inside, std::vector<TranscriptIntegrity>(3, TranscriptAnalyzer::analyze(inner)));
}

TEST(TranscriptAnalyzerTest, RealTranscript)
{
    const auto result = TranscriptAnalyzer::analyze(
        readFile(fixtureTranscripts() / (std::string(MigrationTest::realSession) + ".jsonl")));
    EXPECT_EQ(std::tie(result.lines, result.invalidLines, result.launchCwd),
              std::tuple(2385, 0, MigrationTest::realCwd));
    EXPECT_TRUE(result.lastContextTokens && *result.lastContextTokens > 0);
}

} // namespace
} // namespace threadhop::testing
