#include "core/migration/BackupArchiver.h"
#include "core/migration/MigrationError.h"

#include "core/util/AppPaths.h"
#include "core/util/ChildProcess.h"
#include "support/TempHome.h"

namespace threadhop {
namespace {

using testing::writeFile;

class BackupArchiverTest : public testing::HomeTest {};

TEST_F(BackupArchiverTest, ArchivesAFolderWhoseNameBeginsWithADash)
{
    const auto folder = home() / "projects" / "-Users-ana-site";
    writeFile(folder / "s.jsonl", "{}\n");
    writeFile(folder / "s" / "subagents" / "a.jsonl", "{}\n");
    const auto archive = BackupArchiver::backup(folder, "20240501-093000");
    EXPECT_EQ(archive, AppPaths::backupsDir() / "-Users-ana-site-20240501-093000.tar.gz");

    const auto listing = ChildProcess::run("/usr/bin/tar", {"-tzf", archive.string()});
    ASSERT_EQ(listing.exitStatus, 0);
    // tar lists to standard output; extracting shows the members begin with the folder name.
    const testing::TempFolder out;
    ASSERT_EQ(ChildProcess::run("/usr/bin/tar", {"-xzf", archive.string(), "-C", out.path().string()}).exitStatus, 0);
    EXPECT_EQ(testing::readFile(out.path() / "-Users-ana-site" / "s" / "subagents" / "a.jsonl"), "{}\n");
}

TEST_F(BackupArchiverTest, SameStampReplacesTheArchive)
{
    const auto folder = home() / "p" / "-x";
    writeFile(folder / "a.jsonl", "first");
    const auto first = BackupArchiver::backup(folder, "s");
    writeFile(folder / "a.jsonl", "second");
    EXPECT_EQ(BackupArchiver::backup(folder, "s"), first);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(AppPaths::backupsDir()), {}), 1);
}

TEST_F(BackupArchiverTest, MissingFolderFailsWithTarsMessage)
{
    std::filesystem::create_directories(home() / "p");
    try {
        BackupArchiver::backup(home() / "p" / "-missing", "s");
        FAIL() << "expected backupFailed";
    } catch (const MigrationError& error) {
        EXPECT_EQ(error.kind(), MigrationError::Kind::backupFailed);
        EXPECT_TRUE(std::string(error.what()).starts_with("Backup failed: "));
        EXPECT_NE(std::string(error.what()).find("-missing"), std::string::npos);
    }
}

TEST(ChildProcessRunTest, ReportsExitStatusAndDrainsALargeStandardError)
{
    const auto outcome = ChildProcess::run("/bin/sh", {"-c", "head -c 300000 /dev/zero | tr '\\0' x >&2; exit 3"});
    EXPECT_EQ(outcome.exitStatus, 3);
    EXPECT_EQ(outcome.standardError, std::string(300000, 'x'));
    EXPECT_THROW(ChildProcess::run("/nonexistent/tar", {}), std::system_error);
}

} // namespace
} // namespace threadhop
