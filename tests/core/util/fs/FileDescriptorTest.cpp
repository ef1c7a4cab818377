#include "core/util/fs/FileDescriptor.h"

#include "core/discovery/AccountScanner.h"
#include "core/discovery/ProjectIndexer.h"
#include "core/discovery/SessionLiveness.h"
#include "core/migration/JSONLRewriter.h"
#include "core/util/fs/ReadBuffer.h"
#include "support/Fifo.h"
#include "support/MigrationTest.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace threadhop::testing {
namespace {

// Every reader of the user's files opens them through FileDescriptor; a FIFO or a device named like
// one of those files must neither be read nor hold the reader up.
class FileDescriptorTest : public MigrationTest {
protected:
    const ClaudeAccount account{.id = "claude", .label = "claude (default)", .alias = "claude"};
};

TEST_F(FileDescriptorTest, OnlyRegularFilesOpenAndNoneIsWaitedFor)
{
    const auto fifo = home() / "pipe.jsonl";
    makeFifo(fifo);
    ReadBuffer buffer;
    int openError = 0;
    bool loaded = true;
    ASSERT_TRUE(returnsPromptly(
        [&] {
            const FileDescriptor reader(fifo, O_RDONLY);
            openError = reader.isOpen() ? 0 : errno;
            loaded = buffer.load(fifo);
        },
        {fifo}));
    EXPECT_EQ(openError, EOPNOTSUPP);
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(buffer.load("/dev/null"));
    EXPECT_FALSE(FileDescriptor(home(), O_RDONLY).isOpen());

    writeFile(home() / "plain.jsonl", "{}\n");
    const FileDescriptor plain(home() / "plain.jsonl", O_RDONLY);
    ASSERT_TRUE(plain.isOpen());
    EXPECT_EQ(::fcntl(plain.get(), F_GETFL) & O_NONBLOCK, 0) << "reads must wait for data as usual";
    ASSERT_TRUE(buffer.loadOpenFile(plain.get()));
    EXPECT_EQ(buffer.content(), "{}\n");
}

TEST_F(FileDescriptorTest, AFifoInAProjectFolderHoldsUpNoScanPreviewOrMigration)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    const auto fifo = projects() / "-w-old" / "stuck.jsonl";
    makeFifo(fifo);
    // Older than the transcript, so that the transcript stays the newest conversation.
    ASSERT_TRUE(setModified(fifo, 1'000'000'000));

    std::vector<ProjectFolder> found;
    std::optional<std::string> fifoCwd = "unread";
    ASSERT_TRUE(returnsPromptly(
        [&] {
            found = ProjectIndexer::projects(account);
            fifoCwd = ProjectIndexer::extractCwd(fifo);
        },
        {fifo}));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].actualCwd, "/w/old");
    EXPECT_EQ(fifoCwd, std::nullopt);

    JSONLRewriter::Result scanned;
    MigrationPreview preview;
    ASSERT_TRUE(returnsPromptly(
        [&] {
            scanned = JSONLRewriter::scan(projects() / "-w-old", "/w/old");
            preview = ConversationMigrator::preview(input());
        },
        {fifo}));
    EXPECT_EQ(scanned.files, 1);
    EXPECT_EQ(preview.filesToRewrite, 1);
    EXPECT_EQ(preview.blockedReason, std::nullopt);

    const auto moved = projects() / "-w-new" / "stuck.jsonl";
    MigrationRecord record;
    ASSERT_TRUE(
        returnsPromptly([&] { record = ConversationMigrator::migrate(input(), "20240501-093000"); }, {fifo, moved}));
    EXPECT_TRUE(record.success);
    EXPECT_EQ(readFile(projects() / "-w-new" / "s.jsonl"), cwdLine("/w/new"));
    EXPECT_TRUE(fs::is_fifo(moved));
}

TEST_F(FileDescriptorTest, FifosInTheAccountFolderHoldUpNoDiscoveryLivenessCheckOrAccountMove)
{
    const auto claude = home() / ".claude";
    const std::vector<fs::path> fifos{claude / "sessions" / "stuck.json", claude / ".claude.json",
                                      home() / ".claude.json", home() / ".zshrc"};
    for (const auto& fifo : fifos)
        makeFifo(fifo);
    markOpen();
    conversation(line(u1, ""));
    const auto move = accountMove(MoveMode::fork);

    std::vector<ClaudeAccount> accounts;
    std::map<std::string, LiveSession> live;
    AccountMovePreview preview;
    MigrationRecord record;
    ASSERT_TRUE(returnsPromptly(
        [&] {
            accounts = AccountScanner::scan();
            live = SessionLiveness::liveSessions(account);
            preview = AccountMover::preview(move);
            record = AccountMover::move(move, "20240501-093000");
        },
        fifos));
    ASSERT_EQ(accounts.size(), 1u);
    EXPECT_EQ(accounts[0].identity, std::nullopt);
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live.begin()->first, sessionId);
    ASSERT_TRUE(preview.sourceIsLive);
    EXPECT_EQ(preview.sourceIsLive->pid, ::getpid());
    EXPECT_TRUE(record.success);
}

} // namespace
} // namespace threadhop::testing
