#include "core/accountmove/IdentityRewriter.h"
#include "core/accountmove/SessionCopier.h"
#include "core/operations/AccountLock.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"
#include "core/util/format/Uuid.h"
#include "core/util/fs/NewFile.h"
#include "core/util/text/UnicodeText.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "support/MigrationTest.h"

namespace threadhop::testing {
namespace {

// The text of the string member `key` of a compact line.
std::string member(std::string_view line, std::string_view key)
{
    const std::string opening = "\"" + std::string(key) + "\":\"";
    const auto start = line.find(opening) + opening.size();
    return std::string(line.substr(start, line.find('"', start) - start));
}

// Adds the UUIDs written as "<key>":"<uuid>" under the identity keys, found in the text without the
// rewriter's help, so that a value it overlooks still counts.
void writtenIdentityValues(std::string_view text, std::set<std::string>& into)
{
    for (const std::string_view key : identityKeysAsListed) {
        const std::string opening = "\"" + std::string(key) + "\":\"";
        for (auto at = text.find(opening); at != std::string_view::npos; at = text.find(opening, at + 1)) {
            if (const auto value = text.substr(at + opening.size(), 36); Uuid::parse(value))
                into.emplace(value);
        }
    }
}

class AccountMoveTest : public MigrationTest {
protected:
    fs::path sourceFolder() const { return projects() / "-w-app"; }
    fs::path targetFolder(std::string_view name = "-w-app") const { return targetProjects() / name; }

    template <typename Error = AccountMoveError>
    static std::string refusal(const AccountMoveInput& request, bool preview = false)
    {
        return thrown<Error>(
            [&] { preview ? (void)AccountMover::preview(request) : (void)AccountMover::move(request, stamp); });
    }
};

TEST_F(AccountMoveTest, CloneKeepsTheIdAndItsCollisionIsForeseenAndRefusedFirst)
{
    conversation(line(u1, "") + line(u2, u1));
    const auto record = AccountMover::move(accountMove(MoveMode::clone), stamp);
    const std::string name = std::string(sessionId) + ".jsonl";
    EXPECT_EQ(readFile(targetFolder() / name), readFile(sourceFolder() / name));
    EXPECT_TRUE(fs::exists(targetFolder() / sessionId / "subagents" / "agent-1.meta.json"));
    EXPECT_EQ(std::tie(record.newSessionId, record.moveMode, record.message),
              std::tuple(std::nullopt, "clone", "Clone to claude-work: 3 files, Full."));
    EXPECT_NE(
        readFile(targetFolder() / "THREADHOP-MOVES.md").find("> ⚠️ This sessionId now exists in two accounts."),
        std::string::npos);

    // Only a clone meets the copy it made, and only in the folder of its own directory.
    EXPECT_FALSE(AccountMover::preview(accountMove(MoveMode::fork)).collision);
    EXPECT_TRUE(AccountMover::preview(accountMove(MoveMode::clone)).collision);
    auto moved = accountMove(MoveMode::clone);
    moved.newCwd = "/new/place.d";
    EXPECT_EQ(AccountMover::preview(moved).targetFolder, "-new-place-d");
    EXPECT_FALSE(AccountMover::preview(moved).collision);
    moved.newCwd = ""; // counts as none
    EXPECT_EQ(AccountMover::preview(moved).targetFolder, "-w-app");
    EXPECT_EQ(AccountMover::targetFolder(moved), targetFolder());
    EXPECT_EQ(refusal(accountMove(MoveMode::clone)),
              "The destination account already holds this conversation: " + targetFolder().string());
    EXPECT_EQ(archives(), 1u); // the clone's, and none for the refusal
}

TEST_F(AccountMoveTest, TrimmingNeedsAForkAndRescuesABrokenTranscript)
{
    // A call in the middle that was never answered: the full move is refused, a trimmed fork is not.
    const std::string u5 = "55555555-5555-4555-8555-555555555555";
    conversation(line(u1, "") + line(u2, u1, "," + toolUse("toolu_lost")) + line(u3, u2)
                 + line(u4, u3, "," + toolUse("toolu_a")) + line(u5, u4, "," + toolResult("toolu_a"))
                 + line("66666666-6666-4666-8666-666666666666", u5));
    EXPECT_EQ(refusal(accountMove(MoveMode::fork)),
              "The transcript has 1 tool calls that were never answered, with content after them. Trim to the last "
              "complete exchange first.");
    auto trimmed = accountMove(MoveMode::clone);
    trimmed.scope = TranscriptScope::trimmed(2);
    EXPECT_EQ(refusal(trimmed), AccountMoveError::trimNeedsFork().what());
    EXPECT_EQ(archives(), 0u);

    trimmed.mode = MoveMode::fork;
    const auto record = AccountMover::move(trimmed, stamp);
    const std::string copy = readFile(targetFolder() / (*record.newSessionId + ".jsonl"));
    const auto integrity = TranscriptAnalyzer::analyze(copy);
    EXPECT_EQ(integrity.lines, 3); // the cut moved back to keep toolu_a with its result
    EXPECT_TRUE(integrity.unansweredInMiddle.empty());
    EXPECT_NE(copy.find("\"parentUuid\":null"), std::string::npos);
    EXPECT_EQ(record.message, "Fork to claude-work: 3 files, Last 2 messages.");
    EXPECT_NE(readFile(sourceFolder() / "THREADHOP-MOVES.md")
                  .find("- scope:      trimmed — kept 3 lines, dropped 3 (boundary moved back 1 lines to stay "
                        "replayable)"),
              std::string::npos);
}

TEST_F(AccountMoveTest, UnderANewWorkingDirectoryOnlyTheCopyIsRewritten)
{
    conversation(line(u1, "") + line(u2, u1));
    // Another conversation already in the target folder, which once worked in /w/app.
    const std::string neighbour = "{\"cwd\":\"/srv/new\"}\n{\"cwd\":\"/w/app\"}\n";
    writeFile(targetFolder("-srv-new") / "neighbour.jsonl", neighbour);
    auto request = accountMove(MoveMode::fork);
    request.newCwd = "/srv/new";
    const auto record = AccountMover::move(request, stamp);
    EXPECT_EQ(std::tie(record.newCwd, record.newFolder, record.filesRewritten, record.occurrencesReplaced),
              std::tuple("/srv/new", "-srv-new", 2, 3));
    const auto copy = readFile(targetFolder("-srv-new") / (*record.newSessionId + ".jsonl"));
    EXPECT_EQ(TranscriptAnalyzer::analyze(copy).recordedCwds, std::vector<std::string>{"/srv/new"});
    EXPECT_EQ(readFile(targetFolder("-srv-new") / "neighbour.jsonl"), neighbour);
    EXPECT_TRUE(fs::exists(archive("-srv-new-" + std::string(stamp) + "-target.tar.gz")));
    EXPECT_NE(readFile(targetFolder("-srv-new") / "THREADHOP-MOVES.md").find("- cwd:        /w/app → /srv/new\n"),
              std::string::npos);
}

TEST_F(AccountMoveTest, AFailedVerificationRemovesTheCopy)
{
    const std::pair<std::string, std::string> failures[] = {
        {"{\"cwd\":\"/elsewhere\",\"uuid\":\"" + u1 + "\"}\n",
         "the copied transcript records /elsewhere, which does not encode to -w-app"},
        // The editor leaves a value under an escaped key as it is; read back, it is still the original's.
        {line(u1, "") + "{\"u\\u0075id\":\"" + u2 + "\"}\n",
         "the fork still shares 1 identity values with the original"},
    };
    for (const auto& [text, failure] : failures) {
        fs::remove_all(home());
        conversation(text);
        EXPECT_EQ(refusal(accountMove(MoveMode::fork)), "Verification failed after the move: " + failure);
        // The copy was made aside and never stood in the target folder; nothing of it is left.
        EXPECT_TRUE(fs::is_empty(targetProjects()));
        EXPECT_TRUE(MigrationAudit::records().empty());
        EXPECT_TRUE(PendingOperations::all().empty());
        EXPECT_FALSE(fs::exists(sourceFolder() / "THREADHOP-MOVES.md"));
        EXPECT_EQ(archives(), 1u); // the source archive stays
    }
}

// What appears where the copy goes while it is being made stays as it is, and nothing of the copy
// is left beside it: neither a transcript that would replace it nor one placed before its side folder.
TEST_F(AccountMoveTest, WhatAppearsInTheTargetMeanwhileStaysAndNothingOfTheCopyIsLeft)
{
    conversation(line(u1, "") + line(u2, u1));
    const std::string name = sessionId;
    for (const std::string& appearing : {name + ".jsonl", name + "/theirs.jsonl"}) {
        fs::remove_all(targetProjects());
        const OperationSteps::ScopedHook hook([&](OperationStep step) {
            if (step == OperationStep::copied)
                writeFile(targetFolder() / appearing, "theirs\n");
        });
        EXPECT_EQ(refusal(accountMove(MoveMode::clone)),
                  "Copying the conversation into " + targetFolder().string()
                      + " failed: File exists. Nothing of it was left there.");
        EXPECT_EQ(snapshot(targetProjects()), (Files{{"-w-app/" + appearing, "theirs\n"}}));
        EXPECT_EQ(leftovers(targetProjects()), std::vector<std::string>{});
    }
}

// A move changes two accounts: while another operation holds either, it is refused before anything
// is made, and a linked account folder is held by the folder the link reaches.
TEST_F(AccountMoveTest, AMoveIsRefusedWhileItsTargetAccountIsBusy)
{
    conversation(line(u1, ""));
    fs::create_directories(targetProjects());
    const AccountLock busy({targetProjects()});
    EXPECT_EQ(refusal<AccountLock::Refusal>(accountMove(MoveMode::fork)), AccountLock::heldElsewhere);
    EXPECT_EQ(archives(), 0u);
}

TEST_F(AccountMoveTest, ALinkedSourceAccountIsBusyWhenTheFolderItReachesIsHeld)
{
    fs::create_directories(home() / "real-claude");
    fs::create_directory_symlink(home() / "real-claude", home() / ".claude");
    conversation(line(u1, ""));
    const AccountLock busy({home() / "real-claude" / "projects"});
    EXPECT_EQ(refusal<AccountLock::Refusal>(accountMove(MoveMode::fork)), AccountLock::heldElsewhere);
    EXPECT_EQ(archives(), 0u);
}

// How values are replaced is IdentityRewriter's; here, that a fork gets a fresh id and all of its files.
TEST_F(AccountMoveTest, AForkGetsAFreshIdInEveryFileNotesInBothFoldersAndItsRecord)
{
    conversation(line(u1, "") + line(u2, u1, ",\"teamName\":\"session-5e55105e\""));
    auto request = accountMove(MoveMode::fork);
    request.source.identity = AccountIdentity{.emailAddress = "ana@example.com", .sourcePath = "/x"};
    const auto record = AccountMover::move(request, stamp);
    const std::string newId = record.newSessionId.value_or("");
    EXPECT_TRUE(IdentityRewriter::isUUID(newId));
    EXPECT_EQ(newId, UnicodeText::lowercased(newId));
    const std::string copy = readFile(targetFolder() / (newId + ".jsonl"));
    EXPECT_NE(copy.find("\"teamName\":\"session-" + newId.substr(0, 8) + "\""), std::string::npos);
    // The subagent's transcript and meta file still name the first line, by its new uuid.
    const std::string first = member(copy, "uuid");
    EXPECT_NE(first, u1);
    const fs::path side = targetFolder() / newId / "subagents";
    EXPECT_EQ(member(readFile(side / "agent-1.jsonl"), "parentUuid"), first);
    EXPECT_EQ(readFile(side / "agent-1.meta.json"), "{\"parentUuid\":\"" + first + "\"}");

    const std::string outgoing = readFile(sourceFolder() / "THREADHOP-MOVES.md");
    EXPECT_TRUE(outgoing.starts_with("# Threadhop — conversation moves\n\n"));
    // The whole entry, as MoveLedger lays it out, with what the mover fills in.
    EXPECT_EQ(outgoing.substr(outgoing.find(" — moved out")),
              " — moved out (B — fork, identity rewritten)\n\n- session:    `" + std::string(sessionId)
                  + "`\n- new id:     `" + newId + "`\n- from:       claude  (" + (home() / ".claude").string()
                  + ") — ana@example.com\n- to:         claude-work  (" + (home() / ".claude-work").string()
                  + ")\n- mode:       B — fork, identity rewritten\n- scope:      full — 2 lines, 589 bytes\n"
                    "- cwd:        unchanged (/w/app)\n- files:      3 files (1 subagent transcripts)\n"
                    "- verified:   yes — 3/3 files\n- backup:     "
                  + backupOf("-w-app")
                  + "\n\nExternal state stays behind in the source account: `file-history/`, `todos/`,\n"
                    "`plans/`, `shell-snapshots/`. Undo history does not travel with the conversation.\n");
    EXPECT_NE(readFile(targetFolder() / "THREADHOP-MOVES.md").find(" — arrived (B — fork, identity rewritten)"),
              std::string::npos);

    EXPECT_EQ(record,
              (MigrationRecord{.id = record.id,
                               .timestamp = record.timestamp,
                               .accountId = "claude",
                               .oldCwd = "/w/app",
                               .newCwd = "/w/app",
                               .oldFolder = "-w-app",
                               .newFolder = "-w-app",
                               .backupPath = backupOf("-w-app"),
                               .success = true,
                               .message = "Fork to claude-work: 3 files, Full.",
                               .rewroteHistory = false,
                               .occurrencesByClass = std::map<std::string, std::int64_t>{},
                               .targetAccountId = "claude-work",
                               .moveMode = "fork",
                               .newSessionId = record.newSessionId}));
    auto stored = onlyRecord();
    stored.timestamp = record.timestamp; // the history keeps whole seconds
    EXPECT_EQ(stored, record);
}

// The real conversation: a write that fails half way leaves the target as it was, and the next
// attempt forks every line whole, with none of the old identity values.
TEST_F(AccountMoveTest, RealSessionForksAfterAWriteThatFailedHalfWay)
{
    copyRealSession(projects() / realFolder);
    auto fork = accountMove(MoveMode::fork, realFolder, realCwd);
    fork.sessionId = realSession;
    writeFile(targetFolder(realFolder) / "theirs.jsonl", "{}\n");
    const auto before = snapshot(targetProjects());
    {
        // The disk fills once a megabyte of the transcript's copy is written.
        const NewFile::ScopedWriteHook full([](const fs::path& file, std::int64_t written) {
            if (written >= (1 << 20))
                throw fs::filesystem_error("cannot write", file, std::make_error_code(std::errc::no_space_on_device));
        });
        EXPECT_EQ(refusal(fork),
                  "Copying the conversation into " + targetFolder(realFolder).string()
                      + " failed: No space left on device. Nothing of it was left there.");
        EXPECT_EQ(snapshot(targetProjects()), before);
        EXPECT_EQ(entries(targetProjects()), std::vector<std::string>{realFolder});
        EXPECT_TRUE(MigrationAudit::records().empty());
    }

    const auto record = AccountMover::move(fork, stamp);
    const fs::path source = projects() / realFolder;
    const auto original = TranscriptAnalyzer::analyze(readFile(source / (std::string(realSession) + ".jsonl")));
    const auto forked =
        TranscriptAnalyzer::analyze(readFile(targetFolder(realFolder) / (*record.newSessionId + ".jsonl")));
    EXPECT_EQ(forked, original);
    EXPECT_EQ(record.message, "Fork to claude-work: 3 files, Full.");
    const auto valuesIn = [](const std::string& id, const fs::path& at) {
        std::set<std::string> values;
        for (const auto& file : SessionCopier::layout(id, at).allFiles)
            writtenIdentityValues(readFile(file), values);
        return values;
    };
    const auto copied = valuesIn(*record.newSessionId, targetFolder(realFolder));
    const auto kept = valuesIn(realSession, source);
    EXPECT_GT(copied.size(), 1000u);
    EXPECT_TRUE(std::none_of(copied.begin(), copied.end(), [&](const auto& value) { return kept.contains(value); }));
    EXPECT_EQ(readFile(targetFolder(realFolder) / "theirs.jsonl"), "{}\n");
}

// The plain cases (a context scaled by the kept lines, a quarter of the bytes) are in the previews below.
TEST(AccountMovePreviewTypesTest, ResumeEstimateEdges)
{
    using Trim = TranscriptTrimmer::Result;
    AccountMovePreview preview{.totalBytes = 10'000'000, .trim = Trim{.keptLines = 1000, .keptBytes = 400'003}};
    preview.integrity.lines = 1000;
    preview.integrity.lastContextTokens = 120000;
    EXPECT_EQ(preview.estimatedResumeTokens(), 120000); // a trim that drops nothing
    preview.integrity.lastContextTokens = std::nullopt;
    EXPECT_EQ(preview.estimatedResumeTokens(), 100'000); // a quarter of the kept bytes
    // A saturated context size stays within range.
    preview.integrity.lines = 1'000'001;
    preview.integrity.lastContextTokens = INT64_MAX;
    preview.trim = Trim{.keptLines = 1'000'000, .droppedLines = 1};
    EXPECT_GT(preview.estimatedResumeTokens(), INT64_MAX / 2);
}

using AccountMoverPreviewTest = AccountMoveTest;

TEST_F(AccountMoverPreviewTest, RefusalsComeInOrder)
{
    // The same folder spelled twice: refused before anything is read (nothing exists here).
    auto same = accountMove(MoveMode::fork, "-w-app", "");
    same.source.configDir = (home() / "acc").string();
    same.target.configDir = (home() / "acc" / "").string();
    EXPECT_EQ(refusal(same, true), AccountMoveError::sameAccount().what());

    writeFile(sourceFolder() / (std::string(sessionId) + ".jsonl"), "{\"cwd\":\"/w/app\",\"uuid\":\"u\"}\n");
    EXPECT_EQ(refusal(accountMove(MoveMode::fork, "-w-app", ""), true), AccountMoveError::noCwdRecorded().what());

    // A name the history file could not hold is refused before anything is read.
    auto latin1 = accountMove(MoveMode::fork);
    latin1.newCwd = "/w/caf\xE9";
    EXPECT_EQ(refusal(latin1, true),
              "The name /w/caf\uFFFD is not valid UTF-8 text, which the history file cannot hold. "
              "The conversation cannot be moved.");

    auto missing = accountMove(MoveMode::fork);
    missing.sessionId = "other";
    EXPECT_EQ(refusal<SessionCopier::CopyError>(missing, true),
              "Transcript not found: " + (sourceFolder() / "other.jsonl").string());
}

TEST_F(AccountMoverPreviewTest, ReportsFilesTargetIntegrityScanAndLivenessOrAnEmptyAnalysis)
{
    const std::string text =
        "{\"type\":\"user\",\"cwd\":\"/w/app\",\"uuid\":\"a\",\"message\":{\"usage\":{\"input_tokens\":100}}}\n"
        "{\"uuid\":\"b\","
        + toolUse("t1") + "}\n{\"cwd\":\"/w/app/sub\",\"uuid\":\"c\"}\n";
    const fs::path transcript = sourceFolder() / (std::string(sessionId) + ".jsonl");
    writeFile(transcript, text);
    for (const char* agent : {"agent-1", "agent-2"}) {
        writeFile(sourceFolder() / sessionId / "subagents" / (std::string(agent) + ".jsonl"), "{}\n");
        writeFile(sourceFolder() / sessionId / "subagents" / (std::string(agent) + ".meta.json"), "{}");
    }
    markOpen();

    const auto preview = AccountMover::preview(accountMove(MoveMode::fork));
    EXPECT_EQ(std::tuple(preview.sourceFolder, preview.targetFolder, preview.targetPath, preview.fileCount,
                         preview.subagentCount, preview.totalBytes, preview.cwdScan.byClass.at(CwdClass::sessionCwd),
                         preview.trim, preview.sourceIsLive.value_or(LiveSession{}).pid,
                         preview.estimatedResumeTokens()),
              std::tuple("-w-app", "-w-app", targetFolder().string(), 5, 2, text.size() + 3 + 2 + 3 + 2, 2,
                         std::nullopt, getpid(), 100));
    EXPECT_EQ(preview.integrity, TranscriptAnalyzer::analyze(text));
    EXPECT_EQ(preview.cwdScan, JSONLRewriter::scan(sourceFolder(), "/w/app"));
    EXPECT_FALSE(fs::exists(home() / ".claude-work")); // nothing is created

    auto trimmed = accountMove(MoveMode::fork);
    trimmed.scope = TranscriptScope::trimmed(1);
    const auto trimPreview = AccountMover::preview(trimmed);
    EXPECT_EQ(trimPreview.trim, TranscriptTrimmer::trim(text, 1).result);
    EXPECT_EQ(trimPreview.estimatedResumeTokens(), 33); // 100 tokens × 1 of 3 lines

    fs::remove(transcript);
    fs::create_directories(transcript); // there, but nothing can be read
    const auto unreadable = AccountMover::preview(trimmed);
    EXPECT_EQ(std::tie(unreadable.integrity, unreadable.trim), std::tuple(TranscriptIntegrity{}, std::nullopt));
    EXPECT_EQ(unreadable.estimatedResumeTokens(), unreadable.totalBytes / 4);
}

} // namespace
} // namespace threadhop::testing
