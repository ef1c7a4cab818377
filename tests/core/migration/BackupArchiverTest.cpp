// Archiving and extracting a folder whose name begins with a dash are the backup and the restore of
// every migration: the migration and restore tests go through both.
#include "core/migration/BackupArchiver.h"
#include "core/migration/MigrationError.h"

#include "core/util/fs/AppPaths.h"
#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

class BackupArchiverTest : public HomeTest { };

TEST_F(BackupArchiverTest, SameStampReplacesTheArchive)
{
    const auto folder = home() / "p" / "-x";
    writeFile(folder / "a.jsonl", "first");
    const auto first = BackupArchiver::backup(folder, "s");
    writeFile(folder / "a.jsonl", "second");
    EXPECT_EQ(BackupArchiver::backup(folder, "s"), first);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(AppPaths::backupsDir()), {}), 1);
    const TempFolder out;
    BackupArchiver::extract(first, out.path());
    EXPECT_EQ(readFile(out.path() / "-x" / "a.jsonl"), "second");
}

TEST_F(BackupArchiverTest, FailuresSayHowTarEnded)
{
    const auto folder = home() / "p" / "-x";
    writeFile(folder / "a.jsonl", "{}\n");
    const auto backupFailure = [&](const std::filesystem::path& of) {
        return thrown<MigrationError>([&] { BackupArchiver::backup(of, "s"); });
    };
    const auto missing = backupFailure(home() / "p" / "-missing");
    EXPECT_TRUE(missing.starts_with("Backup failed: ") && missing.find("-missing") != std::string::npos) << missing;

    const auto withTar = [&](const std::string& script) {
        writeFile(home() / "tar", "#!/bin/sh\n" + script);
        std::filesystem::permissions(home() / "tar", std::filesystem::perms::owner_all);
        const BackupArchiver::ScopedTarProgram fake(home() / "tar");
        return backupFailure(folder);
    };
    EXPECT_EQ(withTar("kill -9 $$\n"), "Backup failed: tar was stopped by signal 9.");
    EXPECT_EQ(withTar("exit 2\n"), "Backup failed: tar exited with status 2.");
    EXPECT_EQ(withTar("echo 'tar: full' >&2; kill -15 $$\n"),
              "Backup failed: tar: full\ntar was stopped by signal 15.");
    // A megabyte of complaints: only its last lines are kept.
    std::string tail;
    for (int i = 19980; i < 20000; ++i)
        tail += "tar: line " + std::to_string(i) + " of a long complaint\n";
    EXPECT_EQ(withTar("i=0; while [ $i -lt 20000 ]; do echo \"tar: line $i of a long complaint\" >&2; "
                      "i=$((i+1)); done; exit 2\n"),
              "Backup failed: …" + tail);

    writeFile(home() / "tar", "#!/bin/sh\nkill -9 $$\n");
    const BackupArchiver::ScopedTarProgram fake(home() / "tar");
    EXPECT_EQ(thrown<MigrationError>([&] { BackupArchiver::extract(home() / "any.tar.gz", home()); }),
              "Backup failed: Extraction failed: tar was stopped by signal 9.");
    const BackupArchiver::ScopedTarProgram missingTar(home() / "missing");
    EXPECT_THROW(BackupArchiver::backup(folder, "s"), std::system_error);
}

} // namespace
} // namespace threadhop::testing
