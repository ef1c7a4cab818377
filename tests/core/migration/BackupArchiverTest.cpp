#include "core/migration/BackupArchiver.h"
#include "core/migration/MigrationError.h"

#include "core/util/fs/AppPaths.h"
#include "core/util/fs/ChildProcess.h"
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
    const testing::TempFolder out;
    BackupArchiver::extract(first, out.path());
    EXPECT_EQ(testing::readFile(out.path() / "-x" / "a.jsonl"), "second");
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

TEST_F(BackupArchiverTest, FailuresSayHowTarEnded)
{
    const auto folder = home() / "p" / "-x";
    writeFile(folder / "a.jsonl", "{}\n");
    const auto failure = [&](const std::string& script) {
        writeFile(home() / "tar", "#!/bin/sh\n" + script);
        std::filesystem::permissions(home() / "tar", std::filesystem::perms::owner_all);
        const BackupArchiver::ScopedTarProgram fake(home() / "tar");
        try {
            BackupArchiver::backup(folder, "s");
        } catch (const MigrationError& error) {
            return std::string(error.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(failure("kill -9 $$\n"), "Backup failed: tar was stopped by signal 9.");
    EXPECT_EQ(failure("exit 2\n"), "Backup failed: tar exited with status 2.");
    EXPECT_EQ(failure("echo 'tar: full' >&2; kill -15 $$\n"), "Backup failed: tar: full\ntar was stopped by signal 15.");
    // A megabyte of complaints: only its last lines are kept.
    const std::string flood = failure("i=0; while [ $i -lt 20000 ]; do echo \"tar: line $i of a long complaint\" >&2; "
                                      "i=$((i+1)); done; exit 2\n");
    EXPECT_EQ(flood, "Backup failed: …" + [] {
        std::string tail;
        for (int i = 19980; i < 20000; ++i)
            tail += "tar: line " + std::to_string(i) + " of a long complaint\n";
        return tail;
    }());

    writeFile(home() / "tar", "#!/bin/sh\nkill -9 $$\n");
    const BackupArchiver::ScopedTarProgram fake(home() / "tar");
    try {
        BackupArchiver::extract(home() / "any.tar.gz", home());
        FAIL() << "expected the extraction to fail";
    } catch (const MigrationError& error) {
        EXPECT_STREQ(error.what(), "Backup failed: Extraction failed: tar was stopped by signal 9.");
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
