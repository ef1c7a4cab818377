// Lines that are JSON although a fast parser refuses them (integers beyond 64 bits, numbers beyond
// double range, half a surrogate pair), and transcripts whose last line was torn inside a
// character: every reader must take the valid lines for what they are, and keep their bytes.
#include "support/MigrationTest.h"

#include "core/accountmove/TranscriptTrimmer.h"
#include "core/validation/TranscriptAnalyzer.h"

namespace threadhop::testing {
namespace {

class UnusualTranscriptLinesTest : public MigrationTest {
protected:
    // A call, its result and a usage report, each on a line that only an RFC 8259 reader accepts.
    const std::string lines[3]{
        line(u1, "", ",\"big\":123456789012345678901234567890," + toolUse("toolu_1")),
        line(
            u2, u1,
            R"(,"message":{"content":[{"type":"tool_result","tool_use_id":"toolu_1","content":"cut in an emoji \uD83D"}]})"),
        line(u3, u2, R"(,"x":1e400,"message":{"usage":{"input_tokens":12}})"),
    };
    const std::string text = lines[0] + lines[1] + lines[2];

    // `text` with a last line cut inside a multi-byte character, as a crash leaves it.
    static std::string torn(const std::string& text)
    {
        return text + R"({"type":"user","cwd":"/w/app","message":{"content":"caf)" + std::string("\xC3");
    }
};

TEST_F(UnusualTranscriptLinesTest, TheRewriterTheAnalyserAndTheTrimmerReadEveryValidLine)
{
    for (std::string_view line : lines) {
        line.remove_suffix(1);
        const auto counts = JSONLRewriter::classifyLine(line, "/w/app");
        EXPECT_FALSE(counts.unparsable) << line;
        EXPECT_EQ(counts.byClass, (std::map<CwdClass, std::int64_t>{{CwdClass::sessionCwd, 1}})) << line;
        EXPECT_EQ(JSONLRewriter::rewriteLine(line, "/w/app", "/n", JSONLRewriter::Scope::sessionOnly),
                  replaced(std::string(line), "\"/w/app\"", "\"/n\""));
    }
    // The analyser sees the answer and the usage.
    EXPECT_EQ(
        TranscriptAnalyzer::analyze(text),
        (TranscriptIntegrity{.lines = 3, .launchCwd = "/w/app", .recordedCwds = {"/w/app"}, .lastContextTokens = 12}));
    // A usage count beyond 64 bits saturates rather than being dropped.
    const auto huge =
        TranscriptAnalyzer::analyze(R"({"message":{"usage":{"input_tokens":123456789012345678901234567890}}})");
    EXPECT_EQ(huge.lastContextTokens, std::numeric_limits<std::int64_t>::max());
    // The trimmer keeps no valid message as header: the first line has a "uuid", so a cut to the
    // last line keeps one line.
    const auto trimmed = TranscriptTrimmer::trim(text, 1);
    EXPECT_EQ(std::tie(trimmed.result.keptLines, trimmed.result.droppedLines), std::tuple(1, 2));
    EXPECT_EQ(trimmed.text, replaced(lines[2], "\"parentUuid\":\"" + u2 + "\"", "\"parentUuid\":null"));
}

TEST_F(UnusualTranscriptLinesTest, AForkReplacesEveryIdentityValueAndKeepsTheRest)
{
    conversation(text);
    const auto record = AccountMover::move(accountMove(MoveMode::fork), stamp);
    const std::string copy = readFile(targetProjects() / "-w-app" / (*record.newSessionId + ".jsonl"));
    for (const auto& value : {std::string(sessionId), u1, u2, u3})
        EXPECT_EQ(copy.find(value), std::string::npos) << value;
    for (const char* kept : {"123456789012345678901234567890", R"(\uD83D)", "1e400"})
        EXPECT_NE(copy.find(kept), std::string::npos) << kept;
}

TEST_F(UnusualTranscriptLinesTest, ATornLastLineHidesNothingFromTheMigration)
{
    std::string whole;
    for (int i = 0; i < 50; ++i)
        whole += cwdLine("/w/app");
    transcript("-w-app", "s.jsonl", torn(whole));

    const auto preview = ConversationMigrator::preview(input("-w-app", "/w/app", "/w/moved"));
    EXPECT_EQ(std::tie(preview.totalOccurrences, preview.unparsableLines), std::tuple(50, 1));
    const auto record = ConversationMigrator::migrate(input("-w-app", "/w/app", "/w/moved"), stamp);
    EXPECT_EQ(record.occurrencesReplaced, 50);
    EXPECT_EQ(readFile(projects() / "-w-moved" / "s.jsonl"), torn(replaced(whole, "/w/app", "/w/moved")));
}

TEST_F(UnusualTranscriptLinesTest, ATornLastLineHidesNothingFromTheAccountMove)
{
    const std::string cwd = "/home/marco/projects/spotter";
    const std::string real = readFile(fixtureTranscripts() / "tool_heavy.jsonl");
    transcript("-home-marco-projects-spotter", std::string(sessionId) + ".jsonl", torn(real));

    const auto request = accountMove(MoveMode::fork, "-home-marco-projects-spotter", cwd);
    const auto preview = AccountMover::preview(request);
    const auto whole = TranscriptAnalyzer::analyze(real);
    EXPECT_EQ(std::tie(preview.integrity.lines, preview.integrity.invalidLines, preview.integrity.launchCwd),
              std::tuple(whole.lines + 1, whole.invalidLines + 1, cwd));
    EXPECT_EQ(preview.cwdScan, JSONLRewriter::scan(projects() / "-home-marco-projects-spotter", cwd));
    EXPECT_GT(preview.cwdScan.byClass.at(CwdClass::sessionCwd), 0);

    const auto record = AccountMover::move(request, stamp);
    const auto copy = targetProjects() / request.sourceFolderName / (*record.newSessionId + ".jsonl");
    EXPECT_TRUE(readFile(copy).ends_with("\xC3"));
}

} // namespace
} // namespace threadhop::testing
