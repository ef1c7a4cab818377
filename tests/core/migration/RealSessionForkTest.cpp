#include "core/migration/TranscriptTrimmer.h"
#include "core/validation/TranscriptLines.h"
#include "core/validation/ToolBlocks.h"
#include "core/validation/TranscriptAnalyzer.h"

#include "support/TempHome.h"

#include <simdjson.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using testing::readFile;

constexpr std::string_view realSession = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";

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

class RealSessionForkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto fixtures = testing::fixtureTranscripts();
        if (!fixtures || !fs::exists(*fixtures / (std::string(realSession) + ".jsonl")))
            GTEST_SKIP() << "the real transcripts are not here";
        m_fixtures = *fixtures;
    }

    fs::path m_fixtures;
};

TEST_F(RealSessionForkTest, TrimmedToTheLast200LinesEveryResultKeepsItsCall)
{
    const std::string text = readFile(m_fixtures / (std::string(realSession) + ".jsonl"));
    const auto all = toolIds(text);
    const auto output = TranscriptTrimmer::trim(text, 200);
    EXPECT_GE(output.result.keptLines, 200);
    EXPECT_EQ(output.result.keptLines + output.result.droppedLines, TranscriptAnalyzer::analyze(text).lines);
    EXPECT_EQ(TranscriptAnalyzer::analyze(output.text).invalidLines, 0);

    const auto kept = toolIds(output.text);
    EXPECT_FALSE(kept.results.empty());
    for (const auto& id : kept.results) {
        if (all.uses.contains(id)) {
            EXPECT_TRUE(kept.uses.contains(id)) << id;
        }
    }
}

} // namespace
} // namespace threadhop
