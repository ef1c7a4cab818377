#include "core/migration/IdentityRewriter.h"
#include "core/migration/SessionCopier.h"
#include "core/migration/TranscriptTrimmer.h"
#include "core/util/TranscriptLines.h"
#include "core/util/Uuid.h"
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
    testing::TempFolder m_target;
};

TEST_F(RealSessionForkTest, ForkedCopyIsWholeAndSharesNoIdentityValue)
{
    const auto layout = SessionCopier::layout(realSession, m_fixtures);
    ASSERT_TRUE(layout.sidecar);
    ASSERT_EQ(layout.jsonlFiles().size(), 3u);

    const std::string newId = Uuid::random().lowerText();
    const fs::path folder = m_target.path() / "-target-project";
    const auto copy = SessionCopier::copy(layout, folder, newId);
    EXPECT_EQ(copy.filesCopied, static_cast<std::int64_t>(layout.allFiles.size()));
    EXPECT_EQ(copy.bytesCopied, layout.totalBytes());

    const auto copiedFiles = IdentityRewriter::identityFiles(copy.destinationFiles);
    const auto plan = IdentityRewriter::buildPlan(copiedFiles, realSession, newId);
    EXPECT_GT(plan.mapping.size(), 1000u);
    EXPECT_GT(IdentityRewriter::apply(plan, copiedFiles), 5000);

    const auto original = TranscriptAnalyzer::analyze(readFile(layout.transcript));
    const auto forked = TranscriptAnalyzer::analyze(readFile(copy.destinationTranscript));
    EXPECT_EQ(forked.lines, original.lines);
    EXPECT_EQ(forked.invalidLines, 0);
    EXPECT_EQ(forked.unansweredAtTail, original.unansweredAtTail);
    EXPECT_EQ(forked.unansweredInMiddle, original.unansweredInMiddle);
    EXPECT_EQ(forked.recordedCwds, original.recordedCwds);

    const auto before = IdentityRewriter::identityValues(IdentityRewriter::identityFiles(layout.allFiles));
    const auto after = IdentityRewriter::identityValues(copiedFiles);
    EXPECT_EQ(after.size(), before.size());
    std::vector<std::string> shared;
    std::set_intersection(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(shared));
    EXPECT_TRUE(shared.empty()) << shared.size() << " shared, first " << shared.front();
    EXPECT_TRUE(after.contains(newId));
}

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
