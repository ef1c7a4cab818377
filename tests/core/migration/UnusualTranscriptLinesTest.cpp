// Lines that are JSON although a fast parser refuses them (integers beyond 64 bits, numbers beyond
// double range, half a surrogate pair), and transcripts whose last line was torn inside a
// character: every reader must take the valid lines for what they are, and keep their bytes.
#include "support/MigrationTest.h"

#include "core/migration/IdentityRewriter.h"
#include "core/migration/TranscriptTrimmer.h"
#include "core/validation/TranscriptAnalyzer.h"

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using testing::cwdLine;
using testing::readFile;
using testing::writeFile;

using testing::replaced;

constexpr const char* sessionId = testing::MigrationTest::sessionId;
const std::string u1 = "11111111-1111-4111-8111-111111111111";
const std::string u2 = "22222222-2222-4222-8222-222222222222";
const std::string u3 = "33333333-3333-4333-8333-333333333333";

std::string identity(const std::string& uuid, const std::string& parent)
{
    return R"("sessionId":")" + std::string(sessionId) + R"(","uuid":")" + uuid + R"(","parentUuid":)"
        + (parent.empty() ? "null" : "\"" + parent + "\"");
}

// A call, its result and a usage report, each on a line that only an RFC 8259 reader accepts.
const std::string bigNumberLine = R"({"type":"assistant","cwd":"/w/app",)" + identity(u1, "")
    + R"(,"big":123456789012345678901234567890,)"
      R"("message":{"content":[{"type":"tool_use","id":"toolu_1"}]}})";
const std::string surrogateLine = R"({"type":"user","cwd":"/w/app",)" + identity(u2, u1)
    + R"(,"message":{"content":[{"type":"tool_result","tool_use_id":"toolu_1",)"
      R"("content":"cut inside an emoji \uD83D"}]}})";
const std::string hugeNumberLine = R"({"type":"assistant","cwd":"/w/app",)" + identity(u3, u2)
    + R"(,"x":1e400,"message":{"usage":{"input_tokens":12}}})";
const std::string conversation = bigNumberLine + "\n" + surrogateLine + "\n" + hugeNumberLine + "\n";

TEST(UnusualTranscriptLinesTest, TheRewriterReadsEveryValidLine)
{
    for (const auto& line : {bigNumberLine, surrogateLine, hugeNumberLine}) {
        const auto counts = JSONLRewriter::classifyLine(line, "/w/app");
        EXPECT_FALSE(counts.unparsable) << line;
        EXPECT_EQ(counts.byClass, (std::map<CwdClass, std::int64_t>{{CwdClass::sessionCwd, 1}})) << line;
        EXPECT_EQ(JSONLRewriter::rewriteLine(line, "/w/app", "/n", JSONLRewriter::Scope::sessionOnly),
                  replaced(line, "\"/w/app\"", "\"/n\""));
    }
}

TEST(UnusualTranscriptLinesTest, TheAnalyserSeesTheAnswerAndTheUsage)
{
    const auto integrity = TranscriptAnalyzer::analyze(conversation);
    EXPECT_EQ(integrity.lines, 3);
    EXPECT_EQ(integrity.invalidLines, 0);
    EXPECT_TRUE(integrity.unansweredAtTail.empty());
    EXPECT_TRUE(integrity.unansweredInMiddle.empty());
    EXPECT_EQ(integrity.lastContextTokens, 12);
    EXPECT_EQ(integrity.launchCwd, "/w/app");
    // A usage count beyond 64 bits saturates rather than being dropped.
    const auto huge =
        TranscriptAnalyzer::analyze(R"({"message":{"usage":{"input_tokens":123456789012345678901234567890}}})");
    EXPECT_EQ(huge.lastContextTokens, std::numeric_limits<std::int64_t>::max());
}

TEST(UnusualTranscriptLinesTest, TheTrimmerKeepsNoValidMessageAsHeader)
{
    // The first line has a "uuid": there is no header, so a cut to the last line keeps one line.
    const auto trimmed = TranscriptTrimmer::trim(conversation, 1);
    EXPECT_EQ(trimmed.result.keptLines, 1);
    EXPECT_EQ(trimmed.result.droppedLines, 2);
    EXPECT_EQ(trimmed.text, replaced(hugeNumberLine, "\"parentUuid\":\"" + u2 + "\"", "\"parentUuid\":null") + "\n");
}

TEST(UnusualTranscriptLinesTest, TheIdentityRewriterReplacesEveryValue)
{
    const testing::TempFolder folder;
    const fs::path file = folder.path() / "copy.jsonl";
    writeFile(file, conversation);
    const auto plan = IdentityRewriter::buildPlan({file}, sessionId, "99999999-9999-4999-8999-999999999999");
    for (const auto& value : {u1, u2, u3})
        EXPECT_TRUE(plan.mapping.contains(value)) << value;
    IdentityRewriter::apply(plan, {file});
    const std::string copy = readFile(file);
    for (const auto& value : {std::string(sessionId), u1, u2, u3})
        EXPECT_EQ(copy.find(value), std::string::npos) << value;
    for (const char* kept : {"123456789012345678901234567890", R"(\uD83D)", "1e400"})
        EXPECT_NE(copy.find(kept), std::string::npos) << kept;
}

class UnusualTranscriptFolderTest : public testing::MigrationTest { };

TEST_F(UnusualTranscriptFolderTest, AValidConversationForksWithFreshIdentities)
{
    transcript("-w-app", std::string(sessionId) + ".jsonl", conversation);
    const auto record = AccountMover::move(accountMove(MoveMode::fork), stamp);
    const std::string copy = readFile(targetProjects() / "-w-app" / (*record.newSessionId + ".jsonl"));
    for (const auto& value : {std::string(sessionId), u1, u2, u3})
        EXPECT_EQ(copy.find(value), std::string::npos) << value;
}

// A transcript whose last line was cut inside a multi-byte character, as a crash leaves it.
std::string tornAfter(const std::string& text)
{
    return text + R"({"type":"user","cwd":"/w/app","message":{"content":"caf)" + std::string("\xC3");
}

TEST_F(UnusualTranscriptFolderTest, ATornLastLineHidesNothingFromTheMigration)
{
    std::string lines;
    for (int i = 0; i < 50; ++i)
        lines += cwdLine("/w/app");
    const std::string torn = tornAfter(lines);
    transcript("-w-app", "s.jsonl", torn);

    const auto preview = ConversationMigrator::preview(input("-w-app", "/w/app", "/w/moved"));
    EXPECT_EQ(preview.totalOccurrences, 50);
    EXPECT_EQ(preview.unparsableLines, 1);
    const auto record = ConversationMigrator::migrate(input("-w-app", "/w/app", "/w/moved"), stamp);
    EXPECT_EQ(record.occurrencesReplaced, 50);
    EXPECT_EQ(readFile(projects() / "-w-moved" / "s.jsonl"),
              replaced(lines, "/w/app", "/w/moved") + torn.substr(lines.size()));
}

TEST_F(UnusualTranscriptFolderTest, ATornLastLineHidesNothingFromTheAccountMove)
{
    const auto fixtures = testing::fixtureTranscripts();
    if (!fixtures)
        GTEST_SKIP() << "no fixture transcripts";
    const std::string cwd = "/home/marco/projects/spotter";
    const std::string real = readFile(*fixtures / "tool_heavy.jsonl");
    transcript("-home-marco-projects-spotter", std::string(sessionId) + ".jsonl", tornAfter(real));

    const auto request = accountMove(MoveMode::fork, "-home-marco-projects-spotter", cwd);
    const auto preview = AccountMover::preview(request);
    const auto whole = TranscriptAnalyzer::analyze(real);
    EXPECT_EQ(preview.integrity.lines, whole.lines + 1);
    EXPECT_EQ(preview.integrity.invalidLines, whole.invalidLines + 1);
    EXPECT_EQ(preview.integrity.launchCwd, cwd);
    EXPECT_EQ(preview.cwdScan, JSONLRewriter::scan(projects() / "-home-marco-projects-spotter", cwd));
    EXPECT_GT(preview.cwdScan.byClass.at(CwdClass::sessionCwd), 0);

    const auto record = AccountMover::move(request, stamp);
    const fs::path copy = targetProjects() / request.sourceFolderName / (*record.newSessionId + ".jsonl");
    EXPECT_TRUE(readFile(copy).ends_with("\xC3"));
}

} // namespace
} // namespace threadhop
