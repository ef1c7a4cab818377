#include "core/migration/SessionCopier.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

constexpr std::string_view id = "11111111-2222-4333-8444-555555555555";

class SessionCopierTest : public ::testing::Test {
protected:
    fs::path in(std::string_view name) const { return m_root.path() / name; }
    fs::path source() const { return in("source"); }
    fs::path target() const { return in("target") / "-new-project"; }
    fs::path transcript() const { return source() / (std::string(id) + ".jsonl"); }
    fs::path side() const { return source() / id; }

    static std::string refusal(const std::function<void()>& call) { return thrown<SessionCopier::CopyError>(call); }

private:
    TempFolder m_root;
};

TEST_F(SessionCopierTest, CloneWithSideFolderAndItsSecondAttempt)
{
    writeFile(transcript(), "{}\n");
    writeFile(side() / "subagents" / "agent-a1.jsonl", "{\"type\":\"user\"}\n");
    writeFile(side() / "subagents" / "agent-a1.meta.json", "{\"agentType\":\"general\"}\n");
    writeFile(side() / ".hidden", "h");
    fs::create_directories(side() / "empty");
    const auto layout = SessionCopier::layout(id, source());
    EXPECT_EQ(layout.sidecar, side());
    // The hidden file counts, the empty subfolder does not; the transcript sorts first.
    const fs::path agent = "subagents/agent-a1.jsonl", meta = "subagents/agent-a1.meta.json";
    using Paths = std::vector<fs::path>;
    EXPECT_EQ(layout.allFiles, (Paths{transcript(), side() / ".hidden", side() / agent, side() / meta}));
    EXPECT_EQ(layout.jsonlFiles(), (Paths{transcript(), side() / agent}));
    EXPECT_EQ(layout.totalBytes(), 3 + 1 + 16 + 24);

    const auto copy = SessionCopier::copy(layout, target(), id);
    const fs::path copiedSide = target() / id;
    EXPECT_EQ(copy.destinationSidecar, copiedSide);
    EXPECT_EQ(copy.destinationFiles,
              (Paths{target() / (std::string(id) + ".jsonl"), copiedSide / ".hidden", copiedSide / agent,
                     copiedSide / meta}));
    EXPECT_EQ(copy.filesCopied, 4);
    EXPECT_EQ(copy.bytesCopied, layout.totalBytes());
    EXPECT_EQ(readFile(copiedSide / meta), "{\"agentType\":\"general\"}\n");

    EXPECT_EQ(refusal([&] { SessionCopier::copy(layout, target(), id); }),
              "Destination already has this conversation: " + (target() / (std::string(id) + ".jsonl")).string());
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
    EXPECT_EQ(layout.sidecar, std::nullopt);
    EXPECT_EQ(layout.allFiles.size(), 1u);

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

} // namespace
} // namespace threadhop::testing
