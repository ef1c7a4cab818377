#include "core/migration/TranscriptTrimmer.h"
#include "core/validation/ToolBlocks.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "core/validation/TranscriptLines.h"

#include "support/MigrationTest.h"

#include <simdjson.h>

namespace threadhop::testing {
namespace {

struct ToolIds {
    std::set<std::string, std::less<>> uses;
    std::set<std::string, std::less<>> results;
};

ToolIds toolIds(std::string_view text)
{
    ToolIds ids;
    simdjson::dom::parser parser;
    for (const auto line : TranscriptLines::split(text)) {
        simdjson::dom::object message;
        if (parser.parse(simdjson::padded_string(line))["message"].get_object().get(message) == simdjson::SUCCESS)
            ToolBlocks::forEach(
                message, [&](std::string_view id) { ids.uses.emplace(id); },
                [&](std::string_view id) { ids.results.emplace(id); });
    }
    return ids;
}

TEST(RealSessionForkTest, TrimmedToTheLast200LinesEveryResultKeepsItsCall)
{
    const auto fixtures = fixtureTranscripts();
    if (!fixtures)
        GTEST_SKIP() << "no fixture transcripts";
    const std::string text = readFile(*fixtures / (std::string(MigrationTest::realSession) + ".jsonl"));
    const auto all = toolIds(text);
    const auto output = TranscriptTrimmer::trim(text, 200);
    EXPECT_GE(output.result.keptLines, 200);
    EXPECT_EQ(output.result.keptLines + output.result.droppedLines, TranscriptAnalyzer::analyze(text).lines);
    EXPECT_EQ(TranscriptAnalyzer::analyze(output.text).invalidLines, 0);

    const auto kept = toolIds(output.text);
    EXPECT_FALSE(kept.results.empty());
    for (const auto& id : kept.results)
        EXPECT_TRUE(!all.uses.contains(id) || kept.uses.contains(id)) << id;
}

} // namespace
} // namespace threadhop::testing
