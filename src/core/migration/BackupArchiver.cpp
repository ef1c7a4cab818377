#include "BackupArchiver.h"

#include "MigrationError.h"
#include "core/util/AppPaths.h"
#include "core/util/ChildProcess.h"
#include "core/util/UnicodeText.h"

namespace threadhop {

std::filesystem::path BackupArchiver::backup(const std::filesystem::path& folder, std::string_view stamp)
{
    const std::filesystem::path source = folder.has_filename() ? folder : folder.parent_path();
    const std::string name = source.filename().string();
    const auto archive = AppPaths::backupsDir() / (name + "-" + std::string(stamp) + ".tar.gz");
    // The name follows "--": every project folder name begins with "-".
    const auto outcome = ChildProcess::run("/usr/bin/tar", {"-czf", archive.string(), "-C", source.parent_path().string(), "--", name});
    if (outcome.exitStatus != 0)
        throw MigrationError::backupFailed(UnicodeText::isValidUtf8(outcome.standardError) ? outcome.standardError : "");
    return archive;
}

} // namespace threadhop
