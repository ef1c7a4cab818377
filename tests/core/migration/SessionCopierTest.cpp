#include "core/migration/SessionCopier.h"

#include "support/TempHome.h"

#include <sys/stat.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

constexpr std::string_view id = "11111111-2222-4333-8444-555555555555";

class SessionCopierTest : public ::testing::Test {
protected:
    fs::path source() const { return m_root.path() / "source"; }
    fs::path target() const { return m_root.path() / "target" / "-new-project"; }
    fs::path transcript() const { return source() / (std::string(id) + ".jsonl"); }
    fs::path side() const { return source() / id; }
    fs::path elsewhere(std::string_view name) const { return m_root.path() / name; }

    // A subagent transcript, its .meta.json, a hidden file and an empty subfolder.
    void writeSideFolder() const
    {
        writeFile(side() / "subagents" / "agent-a1.jsonl", "{\"type\":\"user\"}\n");
        writeFile(side() / "subagents" / "agent-a1.meta.json", "{\n  \"agentType\": \"general\"\n}\n");
        writeFile(side() / ".hidden", "h");
        fs::create_directories(side() / "empty");
    }

    template <typename Call>
    static SessionCopier::CopyError refusal(Call call)
    {
        try {
            call();
        } catch (const SessionCopier::CopyError& error) {
            return error;
        }
        ADD_FAILURE() << "no CopyError";
        return SessionCopier::CopyError::verificationFailed("none");
    }

private:
    TempFolder m_root;
};

TEST_F(SessionCopierTest, ConversationWithoutSideFolder)
{
    writeFile(transcript(), "{\"a\":1}\n");
    const auto layout = SessionCopier::layout(id, source());
    EXPECT_EQ(layout.transcript, transcript());
    EXPECT_EQ(layout.sidecar, std::nullopt);
    EXPECT_EQ(layout.allFiles, std::vector<fs::path>{transcript()});
    EXPECT_EQ(layout.jsonlFiles(), std::vector<fs::path>{transcript()});
    EXPECT_EQ(layout.totalBytes(), 8);

    const auto copy = SessionCopier::copy(layout, target(), "new-id");
    EXPECT_EQ(copy.filesCopied, 1);
    EXPECT_EQ(copy.bytesCopied, 8);
    EXPECT_EQ(copy.destinationTranscript, target() / "new-id.jsonl");
    EXPECT_EQ(copy.destinationSidecar, std::nullopt);
    EXPECT_EQ(copy.destinationFiles, std::vector<fs::path>{target() / "new-id.jsonl"});
    EXPECT_EQ(readFile(copy.destinationTranscript), "{\"a\":1}\n");
}

TEST_F(SessionCopierTest, SideFolderFilesAreListedSortedAndCopiedUnderTheNewId)
{
    writeFile(transcript(), "{}\n");
    writeSideFolder();
    const auto layout = SessionCopier::layout(id, source());
    EXPECT_EQ(layout.sidecar, side());
    // The empty subfolder is not a file; the hidden file is. The transcript sorts first.
    const std::vector<fs::path> expected{transcript(), side() / ".hidden", side() / "subagents" / "agent-a1.jsonl",
                                         side() / "subagents" / "agent-a1.meta.json"};
    EXPECT_EQ(layout.allFiles, expected);
    EXPECT_EQ(layout.jsonlFiles(), (std::vector<fs::path>{transcript(), side() / "subagents" / "agent-a1.jsonl"}));
    EXPECT_EQ(layout.totalBytes(), 3 + 1 + 16 + 29);

    const auto copy = SessionCopier::copy(layout, target(), id); // a clone keeps the id
    const fs::path copiedSide = target() / id;
    EXPECT_EQ(copy.destinationSidecar, copiedSide);
    EXPECT_EQ(copy.destinationFiles,
              (std::vector<fs::path>{target() / (std::string(id) + ".jsonl"), copiedSide / ".hidden",
                                     copiedSide / "subagents" / "agent-a1.jsonl",
                                     copiedSide / "subagents" / "agent-a1.meta.json"}));
    EXPECT_EQ(copy.filesCopied, 4);
    EXPECT_EQ(copy.bytesCopied, layout.totalBytes());
    EXPECT_EQ(readFile(copiedSide / "subagents" / "agent-a1.meta.json"), readFile(side() / "subagents" / "agent-a1.meta.json"));
    EXPECT_TRUE(fs::is_directory(copiedSide / "empty"));

    // The same clone again meets itself.
    const auto again = refusal([&] { SessionCopier::copy(layout, target(), id); });
    EXPECT_EQ(again.kind(), SessionCopier::CopyError::Kind::destinationExists);
    EXPECT_EQ(again.payload(), (target() / (std::string(id) + ".jsonl")).string());
}

TEST_F(SessionCopierTest, MissingTranscriptAndIdsThatAreNoPlainName)
{
    fs::create_directories(source());
    const auto missing = refusal([&] { SessionCopier::layout(id, source()); });
    EXPECT_EQ(missing.kind(), SessionCopier::CopyError::Kind::transcriptMissing);
    EXPECT_EQ(std::string(missing.what()), "Transcript not found: " + transcript().string());
    EXPECT_EQ(missing.payload(), transcript().string());

    // Ids that would reach outside the folder: "../x" names <parent>/x.jsonl, ".." the parent.
    writeFile(elsewhere("outside.jsonl"), "{}\n");
    for (const std::string_view bad : {"../outside", "..", ".", "", "a/b"})
        EXPECT_EQ(refusal([&] { SessionCopier::layout(bad, source()); }).kind(),
                  SessionCopier::CopyError::Kind::transcriptMissing)
            << bad;
}

TEST_F(SessionCopierTest, AFileNamedLikeTheSideFolderIsNoSideFolderButBlocksTheCopy)
{
    writeFile(transcript(), "{}\n");
    writeFile(side(), "not a folder");
    const auto layout = SessionCopier::layout(id, source());
    EXPECT_EQ(layout.sidecar, std::nullopt);
    EXPECT_EQ(layout.allFiles.size(), 1u);

    writeFile(target() / "taken", "x");
    const auto blocked = refusal([&] { SessionCopier::copy(layout, target(), "taken"); });
    EXPECT_EQ(blocked.kind(), SessionCopier::CopyError::Kind::destinationExists);
    EXPECT_EQ(std::string(blocked.what()), "Destination already has this conversation: " + (target() / "taken").string());
    EXPECT_FALSE(fs::exists(target() / "taken.jsonl"));
}

TEST_F(SessionCopierTest, DestinationThatHoldsTheConversationIsLeftUntouched)
{
    writeFile(transcript(), "{\"mine\":1}\n");
    const fs::path fresh = elsewhere("fresh") / "folder";
    const auto layout = SessionCopier::layout(id, source());
    writeFile(fresh / (std::string(id) + ".jsonl"), "{\"theirs\":1}\n");
    const auto taken = refusal([&] { SessionCopier::copy(layout, fresh, id); });
    EXPECT_EQ(std::string(taken.what()),
              "Destination already has this conversation: " + (fresh / (std::string(id) + ".jsonl")).string());
    EXPECT_EQ(readFile(fresh / (std::string(id) + ".jsonl")), "{\"theirs\":1}\n");

    // A dangling link counts as taken.
    const fs::path other = elsewhere("other");
    fs::create_directories(other);
    fs::create_symlink("/nonexistent/target", other / "dangling.jsonl");
    EXPECT_EQ(refusal([&] { SessionCopier::copy(layout, other, "dangling"); }).kind(),
              SessionCopier::CopyError::Kind::destinationExists);
}

TEST_F(SessionCopierTest, FileCountMismatchIsReportedAndTheCopyStays)
{
    writeFile(transcript(), "{}\n");
    writeSideFolder();
    const auto layout = SessionCopier::layout(id, source());
    writeFile(side() / "late.jsonl", "{}\n"); // appeared after the layout was taken
    const auto mismatch = refusal([&] { SessionCopier::copy(layout, target(), "n"); });
    EXPECT_EQ(std::string(mismatch.what()), "Copy verification failed: copied 5 files, source has 4");
    EXPECT_TRUE(fs::exists(target() / "n.jsonl"));
    EXPECT_TRUE(fs::exists(target() / "n" / "late.jsonl"));
}

TEST_F(SessionCopierTest, CopiedFoldersAreWritableEvenWhenTheSourceIsReadOnly)
{
    writeFile(transcript(), "{}\n");
    writeSideFolder();
    fs::permissions(side() / "subagents", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const auto copy = SessionCopier::copy(SessionCopier::layout(id, source()), target(), "n");
    const auto mode = fs::status(target() / "n" / "subagents").permissions();
    EXPECT_NE(mode & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(copy.filesCopied, 4);
    fs::permissions(side() / "subagents", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(SessionCopierTest, ASizeThatCannotBeReadCountsZero)
{
    fs::create_directories(transcript()); // exists, but has no file size
    const auto layout = SessionCopier::layout(id, source());
    EXPECT_EQ(layout.totalBytes(), 0);
}

} // namespace
} // namespace threadhop
