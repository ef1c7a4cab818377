#include "core/migration/MoveLedger.h"

#include "support/TempHome.h"

#include <cstdlib>
#include <ctime>

#include <limits>
#include <utility>

namespace threadhop::testing {
namespace {

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

constexpr std::string_view footer =
    "\n"
    "External state stays behind in the source account: `file-history/`, `todos/`,\n"
    "`plans/`, `shell-snapshots/`. Undo history does not travel with the conversation.\n";

TEST(MoveLedgerTest, ForkEntryShowsTheNewIdAndNoDuplicateWarning)
{
    const ScopedTimeZone utc("UTC");
    EXPECT_EQ(MoveLedger::render(forkEntry()),
              "## 2024-05-01 09:30 — moved out (B — fork, identity rewritten)\n"
              "\n"
              "- session:    `old-id`\n"
              "- new id:     `new-id`\n"
              "- from:       claude  (/home/u/.claude) — me@example.com\n"
              "- to:         work  (/home/u/.claude-work)\n"
              "- mode:       B — fork, identity rewritten\n"
              "- scope:      full — 120 lines, 48 KB\n"
              "- cwd:        unchanged (/home/u/p)\n"
              "- files:      3 files (2 subagent transcripts)\n"
              "- verified:   yes — 3/3 files\n"
              "- backup:     /backups/-home-u-p-20240501-093000.tar.gz\n"
                  + std::string(footer));
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
                        + std::string(footer)),
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
    const std::pair<std::int64_t, const char*> cases[] = {{0, "Zero KB"},
                                                          {1, "1 byte"},
                                                          {999, "999 bytes"},
                                                          {1000, "1 KB"},
                                                          {1499, "1 KB"},
                                                          {1500, "2 KB"},
                                                          {2500, "2 KB"}, // half to even
                                                          {48'213, "48 KB"},
                                                          {1'000'000, "1 MB"},
                                                          {2'712'345, "2.7 MB"},
                                                          {123'456'789, "123.5 MB"},
                                                          {1'050'000'000, "1.05 GB"},
                                                          {1'200'000'000, "1.2 GB"},
                                                          {3'000'000'000'000, "3 TB"},
                                                          {std::numeric_limits<std::int64_t>::max(), "9.22 EB"},
                                                          // Rounding up to a thousand of one unit is one of the next.
                                                          {999'499, "999 KB"},
                                                          {999'999, "1 MB"},
                                                          {999'960'000, "1 GB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(MoveLedger::fileSize(bytes), text) << bytes;
}

} // namespace
} // namespace threadhop::testing
