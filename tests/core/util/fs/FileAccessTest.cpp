// Where the home folder and the app's own folders are, and how the user's files are opened, read
// and dated: FIFOs and devices named like them included.

#include "core/discovery/AccountScanner.h"
#include "core/discovery/ProjectIndexer.h"
#include "core/discovery/SessionLiveness.h"
#include "core/editing/JSONLRewriter.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/FileDescriptor.h"
#include "core/util/fs/FileLock.h"
#include "core/util/fs/FileMetadata.h"
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
using FileDescriptorTest = MigrationTest;

TEST_F(FileDescriptorTest, OnlyRegularFilesOpenWithoutWaitingAndABufferHoldsExactlyEachFile)
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

    // A reused buffer holds exactly each file, with zero padding after it.
    const std::string large(300'000, 'x');
    writeFile(home() / "large", large);
    writeFile(home() / "small", "small");
    writeFile(home() / "empty", "");
    const auto held = [&](const std::string& name, std::size_t limit = ReadBuffer::wholeFile) {
        return buffer.load(home() / name, limit) ? std::optional<std::string>(buffer.content()) : std::nullopt;
    };
    EXPECT_EQ(held("large"), large);
    EXPECT_EQ(held("small"), "small");
    // The parser reads up to `padding` bytes past the end.
    const std::string_view padding(buffer.content().data() + 5, ReadBuffer::padding);
    EXPECT_EQ(padding, std::string(ReadBuffer::padding, '\0'));
    EXPECT_EQ(held("empty"), "");
    EXPECT_EQ(held("large", 1000), large.substr(0, 1000));
    EXPECT_EQ(held("missing"), std::nullopt);
    EXPECT_TRUE(buffer.content().empty());
}

// FIFOs in a project folder and in the account's folders hold up no scan, preview, migration,
// discovery, liveness check or account move.
TEST_F(FileDescriptorTest, FifosInTheAccountsFoldersHoldUpNoReader)
{
    transcript("-w-old", "s.jsonl", cwdLine("/w/old"));
    const auto claude = home() / ".claude";
    const auto fifo = projects() / "-w-old" / "stuck.jsonl";
    std::vector<fs::path> fifos{fifo, claude / "sessions" / "stuck.json", claude / ".claude.json",
                                home() / ".claude.json", home() / ".zshrc"};
    for (const auto& path : fifos)
        makeFifo(path);
    // Older than the transcript, so that the transcript stays the newest conversation.
    ASSERT_TRUE(setModified(fifo, 1'000'000'000));
    const auto moved = projects() / "-w-new" / "stuck.jsonl";
    fifos.push_back(moved);
    markOpen();
    conversation(line(u1, ""));
    const auto move = accountMove(MoveMode::fork);

    std::vector<ProjectFolder> found;
    std::optional<std::string> fifoCwd = "unread";
    JSONLRewriter::Result scanned;
    MigrationPreview preview;
    MigrationRecord record, moveRecord;
    std::vector<ClaudeAccount> accounts;
    std::map<std::string, LiveSession> live;
    AccountMovePreview movePreview;
    ASSERT_TRUE(returnsPromptly(
        [&] {
            found = ProjectIndexer::projects({.id = "claude"});
            fifoCwd = ProjectIndexer::extractCwd(fifo);
            scanned = JSONLRewriter::scan(projects() / "-w-old", "/w/old");
            preview = ConversationMigrator::preview(input());
            record = ConversationMigrator::migrate(input(), stamp);
            accounts = AccountScanner::scan();
            live = SessionLiveness::liveSessions(ClaudeAccount{.id = "claude"});
            movePreview = AccountMover::preview(move);
            moveRecord = AccountMover::move(move, stamp);
        },
        fifos));
    ASSERT_EQ(std::tuple(found.size(), accounts.size(), live.size(), movePreview.sourceIsLive.has_value()),
              std::tuple(2u, 1u, 1u, true));
    const auto& old = found[0].folderName == "-w-old" ? found[0] : found[1];
    EXPECT_EQ(
        std::tie(old.actualCwd, fifoCwd, scanned.files, preview.filesToRewrite, preview.blockedReason, record.success),
        std::tuple("/w/old", std::nullopt, 1, 1, std::nullopt, true));
    EXPECT_EQ(readFile(projects() / "-w-new" / "s.jsonl"), cwdLine("/w/new"));
    EXPECT_TRUE(fs::is_fifo(moved));
    EXPECT_EQ(std::tie(accounts[0].identity, live.begin()->first, movePreview.sourceIsLive->pid, moveRecord.success),
              std::tuple(std::nullopt, sessionId, ::getpid(), true));
}

using namespace std::chrono;

TEST(FileMetadataTest, DatesBeyondTheClockStandAtItsEnds)
{
    const TempFolder folder;
    const auto file = folder.path() / "f.jsonl";
    writeFile(file, "{}\n");
    const auto dated = [&](sys_seconds date) { return setModified(file, date.time_since_epoch().count()); };

    const sys_seconds lastWholeSecond = sys_days(year(2262) / April / 11) + hours(23) + minutes(47) + seconds(16);
    ASSERT_TRUE(dated(lastWholeSecond));
    EXPECT_EQ(FileMetadata::read(file)->modified, lastWholeSecond);

    for (const sys_seconds later : {lastWholeSecond + seconds(1), sys_seconds(sys_days(year(2263) / January / 1)),
                                    sys_seconds(sys_days(year(2400) / January / 1))}) {
        ASSERT_TRUE(dated(later));
        EXPECT_EQ(FileMetadata::read(file)->modified, system_clock::time_point::max());
        const int descriptor = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        EXPECT_EQ(FileMetadata::readAt(descriptor, "f.jsonl")->modified, system_clock::time_point::max());
        ::close(descriptor);
    }
    // ext4 keeps dates back to 1901 only; tmpfs and others keep older ones.
    if (!dated(sys_days(year(1600) / January / 1)))
        GTEST_SKIP() << "the temporary folder's file system cannot date a file 1600";
    EXPECT_EQ(FileMetadata::read(file)->modified, system_clock::time_point::min());
}

TEST(HomeFolderTest, OnlyAUserWithoutAnEntryGoesByAnAbsoluteHomeVariable)
{
    const SavedVariable saved("HOME");
    const auto fromUserDatabase = HomeFolder::path();
    setenv("HOME", "/elsewhere/ana", 1);
    EXPECT_EQ(HomeFolder::path(), fromUserDatabase) << "the user database comes first";

    const ScopedMissingUserEntry missing;
    setenv("HOME", "/home/container-user", 1);
    EXPECT_EQ(HomeFolder::path(), "/home/container-user");
    for (const char* notAbsolute : {"", "relative/home", "~/home"}) {
        setenv("HOME", notAbsolute, 1);
        EXPECT_EQ(HomeFolder::path(), "/") << notAbsolute;
    }
    unsetenv("HOME");
    EXPECT_EQ(HomeFolder::path(), "/");
    {
        const ScopedHomeOverride test("/tmp/test-home");
        EXPECT_EQ(HomeFolder::path(), "/tmp/test-home");
    }
}

class AppPathsTest : public HomeTest {
protected:
    std::filesystem::path base() const { return home() / ".local" / "share"; }
};

TEST_F(AppPathsTest, FoldersAreCreatedUnderAnAbsoluteDataHomeOrElseUnderLocalShare)
{
    EXPECT_EQ(AppPaths::supportDir(), base() / "Threadhop");
    EXPECT_EQ(AppPaths::backupsDir(), base() / "Threadhop" / "backups");
    EXPECT_TRUE(std::filesystem::is_directory(base() / "Threadhop" / "backups"));
    const auto dataHome = home() / "data";
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    EXPECT_EQ(AppPaths::supportDir(), dataHome / "Threadhop");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(AppPaths::supportDir(), base() / "Threadhop");
}

TEST_F(AppPathsTest, LegacyFolderMovesIntoPlaceUnlessBothExistOrItIsAFile)
{
    writeFile(base() / "ClaudeThreadhop" / "audit.json", "[]");
    writeFile(base() / "ClaudeThreadhop" / "backups" / "x.tar.gz", "archive");
    writeFile(base() / "Threadhop" / "audit.json", "new");
    EXPECT_FALSE(AppPaths::migrateLegacyFolder(base()));
    EXPECT_EQ(readFile(base() / "ClaudeThreadhop" / "audit.json"), "[]");
    EXPECT_EQ(readFile(AppPaths::supportDir() / "audit.json"), "new");

    std::filesystem::remove_all(base() / "Threadhop");
    const auto support = AppPaths::supportDir();
    EXPECT_FALSE(std::filesystem::exists(base() / "ClaudeThreadhop"));
    EXPECT_EQ(readFile(support / "audit.json"), "[]");
    EXPECT_EQ(readFile(support / "backups" / "x.tar.gz"), "archive");

    const TempFolder other;
    writeFile(other.path() / "ClaudeThreadhop", "a plain file");
    EXPECT_FALSE(AppPaths::migrateLegacyFolder(other.path()));
    EXPECT_TRUE(std::filesystem::is_regular_file(other.path() / "ClaudeThreadhop"));
    EXPECT_FALSE(std::filesystem::exists(other.path() / "Threadhop"));
}

// A lock whose file goes on release: whoever opened the file before it went, and locks it after,
// holds a lock on a file nobody else can find, and must not count as holding it.
TEST(FileLockTest, ALockWhoseFileGoesExcludesWhoeverOpenedItJustBefore)
{
    const TempFolder folder;
    const fs::path file = folder.path() / "operation.lock";
    auto first = FileLock::tryTake(file, FileLock::File::goes);
    ASSERT_TRUE(first);
    const auto second = [&] {
        // The first holder lets go between the second one's open and its lock.
        const FileLock::ScopedOpenHook hook([&] { first.reset(); });
        return FileLock::tryTake(file, FileLock::File::goes);
    }();
    ASSERT_TRUE(second);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(FileLock::tryTake(file, FileLock::File::goes)) << "two holders at once";
}

// Each caller says what a folder it cannot list gives: a migration stops on it, a scan sees nothing.
TEST(DirectoryListingTest, NamesHiddenOnesOnRequestAndAnUnlistableFolderAsTheCallerSays)
{
    using namespace DirectoryListing;
    const TempFolder folder;
    writeFile(folder.path() / "a.jsonl", "");
    writeFile(folder.path() / ".a.jsonl", "");
    fs::create_directory(folder.path() / "sub");
    const auto sorted = [](std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(sorted(names(folder.path(), Hidden::include, Unlistable::fail)),
              (std::vector<std::string>{".a.jsonl", "a.jsonl", "sub"}));
    EXPECT_EQ(sorted(names(folder.path(), Hidden::skip, Unlistable::empty)),
              (std::vector<std::string>{"a.jsonl", "sub"}));

    for (const fs::path& unlistable : {folder.path() / "a.jsonl", folder.path() / "missing"}) {
        EXPECT_TRUE(names(unlistable, Hidden::include, Unlistable::empty).empty()) << unlistable;
        try {
            names(unlistable, Hidden::include, Unlistable::fail);
            ADD_FAILURE() << unlistable << " was listed";
        } catch (const fs::filesystem_error& error) {
            EXPECT_EQ(error.path1(), unlistable);
            EXPECT_NE(error.code().message(), "");
        }
    }
}

} // namespace
} // namespace threadhop::testing
