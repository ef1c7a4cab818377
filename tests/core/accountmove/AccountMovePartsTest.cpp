// The parts of an account move, each on its own: the copier that finds and copies a conversation's
// files, the identity rewriter that gives a fork fresh ids, the note left in both folders, and the
// trimmer that keeps a transcript's last messages.
#include "core/accountmove/IdentityRewriter.h"
#include "core/accountmove/MoveLedger.h"
#include "core/accountmove/SessionCopier.h"
#include "core/accountmove/TranscriptTrimmer.h"

#include "core/util/format/Uuid.h"
#include "core/validation/ToolBlocks.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "core/validation/TranscriptLines.h"
#include "support/MigrationTest.h"

#include <cstdlib>
#include <ctime>
#include <limits>
#include <random>

#include <simdjson.h>

namespace threadhop::testing {
namespace {

constexpr std::string_view id = "11111111-2222-4333-8444-555555555555";

class FolderTest : public ::testing::Test {
protected:
    fs::path in(std::string_view name) const { return m_root.path() / name; }

private:
    TempFolder m_root;
};

class SessionCopierTest : public FolderTest {
protected:
    fs::path source() const { return in("source"); }
    fs::path target() const { return in("target") / "-new-project"; }
    fs::path transcript() const { return source() / (std::string(id) + ".jsonl"); }
    fs::path side() const { return source() / id; }

    static std::string refusal(const std::function<void()>& call) { return thrown<SessionCopier::CopyError>(call); }
};

TEST_F(SessionCopierTest, CloneWithSideFolderAndItsSecondAttempt)
{
    writeFile(transcript(), "{}\n");
    writeFile(side() / "subagents" / "agent-a1.jsonl", "{\"type\":\"user\"}\n");
    writeFile(side() / "subagents" / "agent-a1.meta.json", "{\"agentType\":\"general\"}\n");
    writeFile(side() / ".hidden", "h");
    fs::create_directories(side() / "empty");
    fs::create_symlink("subagents/agent-a1.jsonl", side() / "latest");
    const auto layout = SessionCopier::layout(id, source());
    // The hidden file counts, the empty subfolder and the link do not; the transcript sorts first.
    const fs::path agent = "subagents/agent-a1.jsonl", meta = "subagents/agent-a1.meta.json";
    using Paths = std::vector<fs::path>;
    EXPECT_EQ(layout,
              (SessionCopier::Layout{
                  transcript(), side(), {transcript(), side() / ".hidden", side() / agent, side() / meta}}));
    EXPECT_EQ(layout.jsonlFiles(), (Paths{transcript(), side() / agent}));
    EXPECT_EQ(layout.totalBytes(), 3 + 1 + 16 + 24);

    const auto copy = SessionCopier::copy(layout, target(), id);
    const fs::path copied = target() / (std::string(id) + ".jsonl"), copiedSide = target() / id;
    const Paths files{copied, copiedSide / ".hidden", copiedSide / agent, copiedSide / meta};
    EXPECT_EQ(copy, (SessionCopier::CopyResult{4, layout.totalBytes(), copied, copiedSide, files}));
    EXPECT_EQ(readFile(copiedSide / meta), "{\"agentType\":\"general\"}\n");
    std::error_code notALink;
    EXPECT_EQ(fs::read_symlink(copiedSide / "latest", notALink), "subagents/agent-a1.jsonl") << "the link travels too";

    EXPECT_EQ(refusal([&] { SessionCopier::copy(layout, target(), id); }),
              "Destination already has this conversation: " + copied.string());
}

TEST_F(SessionCopierTest, MissingTranscriptAndIdsThatAreNoPlainName)
{
    fs::create_directories(source());
    EXPECT_EQ(refusal([&] { SessionCopier::layout(id, source()); }), "Transcript not found: " + transcript().string());

    writeFile(in("outside.jsonl"), "{}\n"); // what "../outside" would reach
    for (const std::string_view bad : {"../outside", "..", ".", "", "a/b"}) {
        EXPECT_TRUE(refusal([&] { SessionCopier::layout(bad, source()); }).starts_with("Transcript not found: "))
            << bad;
    }
}

TEST_F(SessionCopierTest, AFileNamedLikeTheSideFolderIsNoSideFolderButBlocksTheCopy)
{
    writeFile(transcript(), "{}\n");
    writeFile(side(), "not a folder");
    const auto layout = SessionCopier::layout(id, source());
    EXPECT_EQ(std::tuple(layout.sidecar, layout.allFiles), std::tuple(std::nullopt, std::vector{transcript()}));

    writeFile(target() / "taken", "x");
    fs::create_symlink("/nonexistent", target() / "dangling.jsonl");
    for (const auto* name : {"taken", "dangling"}) {
        EXPECT_TRUE(refusal([&] {
                        SessionCopier::copy(layout, target(), name);
                    }).starts_with("Destination already has this conversation: "))
            << name;
    }
    EXPECT_FALSE(fs::exists(target() / "taken.jsonl"));

    const auto copy = SessionCopier::copy(layout, target(), "new-id");
    const fs::path copied = target() / "new-id.jsonl";
    EXPECT_EQ(copy, (SessionCopier::CopyResult{1, 3, copied, std::nullopt, {copied}}));
    EXPECT_EQ(readFile(copied), "{}\n");
}

TEST_F(SessionCopierTest, FileCountMismatchIsReportedAndTheCopyStays)
{
    writeFile(transcript(), "{}\n");
    writeFile(side() / "a.jsonl", "{}\n");
    const auto layout = SessionCopier::layout(id, source());
    writeFile(side() / "late.jsonl", "{}\n"); // appeared after the layout was taken
    EXPECT_EQ(refusal([&] { SessionCopier::copy(layout, target(), "n"); }),
              "Copy verification failed: copied 3 files, source has 2");
    EXPECT_TRUE(fs::exists(target() / "n.jsonl"));
    EXPECT_TRUE(fs::exists(target() / "n" / "late.jsonl"));
}

TEST_F(SessionCopierTest, CopiedFoldersAreWritableEvenWhenTheSourceIsReadOnly)
{
    writeFile(transcript(), "{}\n");
    writeFile(side() / "subagents" / "a.jsonl", "{}\n");
    fs::permissions(side() / "subagents", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    SessionCopier::copy(SessionCopier::layout(id, source()), target(), "n");
    EXPECT_NE(fs::status(target() / "n" / "subagents").permissions() & fs::perms::owner_write, fs::perms::none);
    fs::permissions(side() / "subagents", fs::perms::owner_write, fs::perm_options::add);

    fs::remove(transcript());
    fs::create_directories(transcript()); // exists, but has no file size: only a.jsonl counts
    EXPECT_EQ(SessionCopier::layout(id, source()).totalBytes(), 3);
}

const std::string oldId = "aaaaaaaa-0000-4000-8000-000000000000";
const std::string newId = "bbbbbbbb-1111-4111-8111-111111111111";
const std::string u1 = "c0000000-0000-4000-8000-000000000001";
const std::string u2 = "c0000000-0000-4000-8000-000000000002";

IdentityRewriter::ValueSet collected(std::string_view json)
{
    simdjson::dom::parser parser;
    IdentityRewriter::ValueSet values;
    IdentityRewriter::collect(parser.parse(simdjson::padded_string(json)).value(), std::nullopt, values);
    return values;
}

TEST(IdentityRewriterTest, UuidShapeAndIdentityFiles)
{
    const std::vector<fs::path> files{"/f/a.jsonl", "/f/a/x.meta.json", "/f/a/.hidden", "/f/a/y.json",
                                      "/f/a/z.jsonl.bak"};
    EXPECT_EQ(IdentityRewriter::identityFiles(files), (std::vector<fs::path>{"/f/a.jsonl", "/f/a/x.meta.json"}));

    EXPECT_TRUE(IdentityRewriter::isUUID("0123abcd-ABCD-4ef0-8aBc-0123456789Ef"));
    for (const std::string_view bad :
         {"0123abcdABCD4ef08aBc0123456789Ef", "{0123abcd-ABCD-4ef0-8aBc-0123456789E}",
          "0123abcg-abcd-4ef0-8abc-0123456789ef", "0123abcd-abcd4-ef0-8abc-0123456789ef",
          "0123abcd-abcd-4ef0-8abc-0123456789ef-", "0123abcd--bcd-4ef0-8abc-0123456789ef", ""})
        EXPECT_FALSE(IdentityRewriter::isUUID(bad)) << bad;
}

TEST(IdentityRewriterTest, CollectsUuidsUnderTheTwelveKeysAtAnyDepth)
{
    std::string line = "{";
    IdentityRewriter::ValueSet expected;
    for (std::size_t i = 0; i < identityKeysAsListed.size(); ++i) {
        const std::string value =
            "d000000" + std::to_string(i % 10) + "-0000-4000-8000-0000000000" + std::to_string(10 + i);
        line += "\"" + std::string(identityKeysAsListed[i]) + "\":\"" + value + "\",";
        expected.insert(value);
    }
    line += R"("nested":{"deeper":[{"uuid":")" + u1 + R"("}]},"leafUuid":[")" + u2 + R"(",[")" + oldId + R"("]],)";
    expected.insert({u1, u2, oldId});
    // Not identity values: other keys, teamName, opaque message tokens, non-strings.
    line += R"("id":"e0000000-0000-4000-8000-000000000000","teamName":"f0000000-0000-4000-8000-000000000000",)"
            R"("messageId":"msg_01ABC","toolUseID":"e0000000-0000-4000-8000-000000000001","parentUuid":null})";
    EXPECT_EQ(collected(line), expected);
    EXPECT_TRUE(collected(R"([")" + u1 + R"("])").empty()); // a top-level array has no key
}

using IdentityRewriterFilesTest = FolderTest;

// Three linked lines of one conversation: its session id, two line uuids and a team name.
std::string conversation(const std::string& session, const std::string& first, const std::string& second,
                         const std::string& team)
{
    const std::string id = R"({"sessionId":")" + session + "\",";
    return id + R"("uuid":")" + first + R"(","parentUuid":null,"teamName":")" + team + "\"}\n" + id + R"("uuid":")"
        + second + R"(","parentUuid":")" + first + "\",\"teamName\":\"other\"}\n" + id + R"( "uuid" : ")" + u1
        + R"(x","parentUuid":")" + second + "\"}\n";
}

TEST_F(IdentityRewriterFilesTest, ForkGivesEveryValueAFreshOneAndKeepsEveryLink)
{
    writeFile(in("t.jsonl"), conversation(oldId, u1, u2, "session-aaaaaaaa"));
    // A meta file gives no values of its own, but its links are rewritten.
    const std::string metaUuid = "c0000000-0000-4000-8000-000000000003";
    const auto meta = [&](const std::string& parent) {
        return "{\n  \"uuid\": \"" + metaUuid + "\",\n  \"parentUuid\": \"" + parent + "\"\n}\n";
    };
    writeFile(in("a.meta.json"), meta(u1));
    const std::vector<fs::path> files{in("t.jsonl"), in("a.meta.json")};
    const auto plan = IdentityRewriter::buildPlan(files, oldId, newId);
    ASSERT_EQ(plan.mapping.size(), 3u); // "<u1>x" is not UUID-shaped
    EXPECT_EQ(plan.mapping.at(oldId), newId);
    for (const auto& value : {u1, u2}) {
        const std::string& fresh = plan.mapping.at(value);
        EXPECT_EQ(fresh, Uuid::parse(fresh)->lowerText());
        EXPECT_EQ(fresh[14], '4'); // version 4
        EXPECT_NE(fresh, value);
    }
    EXPECT_NE(plan.mapping.at(u1), plan.mapping.at(u2));

    // 3 session ids, 2 uuids, 3 parent links and 1 team name; each link still names its line,
    // and the blanks around the third line's colon stay.
    EXPECT_EQ(IdentityRewriter::apply(plan, files), 9);
    EXPECT_EQ(readFile(in("t.jsonl")),
              conversation(newId, plan.mapping.at(u1), plan.mapping.at(u2), "session-bbbbbbbb"));
    EXPECT_EQ(readFile(in("a.meta.json")), meta(plan.mapping.at(u1)));
    // An empty mapping edits nothing, team names named after its old session id included.
    EXPECT_EQ(IdentityRewriter::apply({.oldSessionId = newId, .newSessionId = oldId}, files), 0);
}

TEST_F(IdentityRewriterFilesTest, WhatTheEditorDoesNotMatchStays)
{
    const std::string upper = "ABCDEF00-0000-4000-8000-00000000000A";
    const std::string text = R"({"sessionId":")" + oldId + R"(","u\u0075id":")" + u1 + R"(","uuid":")" + upper + "\"}\n"
        + R"({"uuid":")" + u1 + R"(","messageId":"msg_opaque","note":"\"uuid\":\")" + u1 + "\\\"\"}\n";
    writeFile(in("t.jsonl"), text);
    const auto plan = IdentityRewriter::buildPlan({in("t.jsonl")}, oldId, newId);
    // The escaped key is still "uuid" to a parser, so u1 is collected from both lines.
    EXPECT_EQ(plan.mapping.size(), 3u);
    ASSERT_TRUE(plan.mapping.contains(upper));
    EXPECT_EQ(plan.mapping.at(upper), Uuid::parse(plan.mapping.at(upper))->lowerText());

    // Neither the escaped key nor a key inside another value is matched.
    IdentityRewriter::apply(plan, {in("t.jsonl")});
    EXPECT_EQ(readFile(in("t.jsonl")),
              R"({"sessionId":")" + newId + R"(","u\u0075id":")" + u1 + R"(","uuid":")" + plan.mapping.at(upper)
                  + "\"}\n" + R"({"uuid":")" + plan.mapping.at(u1) + R"(","messageId":"msg_opaque","note":"\"uuid\":\")"
                  + u1 + "\\\"\"}\n");
}

TEST_F(IdentityRewriterFilesTest, BadInputIsSkippedWithoutHarm)
{
    // Not valid UTF-8: the valid lines give their values, and every byte but the values stays.
    const std::string broken = "{\"uuid\":\"" + u1 + "\",\"text\":\"caf\xE9\"}\n{\"parentUuid\":\"" + u1 + "\"}\n";
    writeFile(in("latin1.jsonl"), broken);
    writeFile(in("empty.jsonl"), "");
    writeFile(in("noise.jsonl"), "not json\n{\"uuid\":\n\n\r\n" + std::string(100000, '[') + "\n{\"uuid\":\"" + u2);
    const std::vector<fs::path> files{in("latin1.jsonl"), in("empty.jsonl"), in("noise.jsonl"), in("missing.jsonl")};
    const auto plan = IdentityRewriter::buildPlan(files, oldId, newId);
    EXPECT_TRUE(plan.mapping.contains(u1));  // from the second line of the Latin-1 file
    EXPECT_FALSE(plan.mapping.contains(u2)); // the cut last line does not parse
    EXPECT_EQ(IdentityRewriter::apply(plan, files), 2);
    const std::string fresh = plan.mapping.at(u1);
    EXPECT_EQ(readFile(in("latin1.jsonl")),
              "{\"uuid\":\"" + fresh + "\",\"text\":\"caf\xE9\"}\n{\"parentUuid\":\"" + fresh + "\"}\n");
    EXPECT_EQ(readFile(in("empty.jsonl")), "");
    EXPECT_FALSE(fs::exists(in("missing.jsonl")));
}

// Runs the test in a fixed time zone, and tzset() once TZ is back: localtime_r does not read it again.
struct TzsetAtTheEnd {
    ~TzsetAtTheEnd() { tzset(); }
};
struct ScopedTimeZone {
    explicit ScopedTimeZone(const char* zone) { setenv("TZ", zone, 1); }
    TzsetAtTheEnd last;
    SavedVariable saved{"TZ"};
};

// 2024-05-01 09:30:00 UTC
const auto moveDate = std::chrono::system_clock::from_time_t(1714555800);

MoveLedger::Entry forkEntry()
{
    return {.date = moveDate,
            .outgoing = true,
            .sessionId = "old-id",
            .newSessionId = "new-id",
            .sourceAccount = "claude",
            .sourceConfigDir = "/home/u/.claude",
            .sourceIdentity = "me@example.com",
            .targetAccount = "work",
            .targetConfigDir = "/home/u/.claude-work",
            .targetIdentity = std::nullopt,
            .mode = "B — fork, identity rewritten",
            .scopeSummary = "full — 120 lines, 48 KB",
            .cwdSummary = "unchanged (/home/u/p)",
            .fileSummary = "3 files (2 subagent transcripts)",
            .verified = "yes — 3/3 files",
            .backupPath = "/backups/-home-u-p-20240501-093000.tar.gz",
            .sourceWasLive = false};
}

TEST(MoveLedgerTest, CloneEntryWarnsOfTheDuplicateIdAndLiveSourceFollowsTheBackup)
{
    const ScopedTimeZone tokyo("Asia/Tokyo");
    auto entry = forkEntry();
    entry.outgoing = false;
    entry.newSessionId = "old-id";
    entry.sourceIdentity = "";
    entry.sourceWasLive = true;
    const std::string text = MoveLedger::render(entry);
    EXPECT_TRUE(text.starts_with("## 2024-05-01 18:30 — arrived (B — fork, identity rewritten)\n\n"
                                 "- session:    `old-id`\n"
                                 "- from:       claude  (/home/u/.claude)\n"));
    EXPECT_NE(text.find("- backup:     /backups/-home-u-p-20240501-093000.tar.gz\n"
                        "- ⚠️ the source session was running: this is a snapshot, and the two diverge from here\n"
                        "\n"
                        "> ⚠️ This sessionId now exists in two accounts. Continuing one does not\n"
                        "> reflect in the other, and any index keyed on session id will show it twice.\n"
                        "\nExternal state stays behind"),
              std::string::npos);
    entry.newSessionId = std::nullopt; // an absent new id is a kept id too
    EXPECT_EQ(MoveLedger::render(entry), text);
}

TEST(MoveLedgerTest, EntriesFollowTheHeaderOrWhatWasThereAndFailuresDestroyNothing)
{
    const TempFolder folder;
    const fs::path note = folder.path() / "THREADHOP-MOVES.md";
    const auto block = MoveLedger::render(forkEntry());
    const std::string header = "# Threadhop — conversation moves\n\n"
                               "Written by Threadhop when a conversation was copied into or out of this\n"
                               "project folder. Claude Code does not read this file.\n\n";
    ASSERT_TRUE(MoveLedger::append(forkEntry(), folder.path()));
    EXPECT_EQ(readFile(note), header + block);
    ASSERT_TRUE(MoveLedger::append(forkEntry(), folder.path()));
    EXPECT_EQ(readFile(note), header + block + "\n" + block);

    // Old content stays as it is; without a final line feed, two are added.
    for (const std::string old : {"my own notes", "caf\xE9 notes\n"}) {
        writeFile(note, old);
        ASSERT_TRUE(MoveLedger::append(forkEntry(), folder.path()));
        EXPECT_EQ(readFile(note), old + (old.ends_with('\n') ? "\n" : "\n\n") + block);
    }

    fs::remove(note);
    fs::create_directories(note / "inside"); // a folder where the note should be
    EXPECT_FALSE(MoveLedger::append(forkEntry(), folder.path()));
    EXPECT_TRUE(fs::exists(note / "inside"));
    EXPECT_FALSE(MoveLedger::append(forkEntry(), folder.path() / "missing"));
}

TEST(MoveLedgerTest, FileSizesInDecimalUnits)
{
    // Halves round to even, and rounding up to a thousand of one unit gives one of the next.
    std::string sizes;
    for (const auto bytes : std::initializer_list<std::int64_t>{
             0, 1, 999, 1000, 1499, 1500, 2500, 48'213, 1'000'000, 2'712'345, 123'456'789, 1'050'000'000, 1'200'000'000,
             3'000'000'000'000, std::numeric_limits<std::int64_t>::max(), 999'499, 999'999, 999'960'000})
        sizes += MoveLedger::fileSize(bytes) + ", ";
    EXPECT_EQ(sizes,
              "Zero KB, 1 byte, 999 bytes, 1 KB, 1 KB, 2 KB, 2 KB, 48 KB, 1 MB, 2.7 MB, 123.5 MB, 1.05 GB, 1.2 GB, "
              "3 TB, 9.22 EB, 999 KB, 1 MB, 1 GB, ");
}

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
