#include "BackupArchiver.h"

#include "MigrationError.h"
#include "core/util/AppPaths.h"
#include "core/util/ChildProcess.h"
#include "core/util/UnicodeText.h"

namespace threadhop {

void BackupArchiver::addLiteralNamesOption(std::vector<std::string>& arguments)
{
#ifndef __APPLE__
    // GNU tar reads backslash sequences in the names it is given ("\b" and the like), which a
    // folder made from a directory such as /srv/q"uote\back holds; before "-C", the option also
    // covers that folder's path. The system tar of macOS takes names literally already.
    arguments.emplace_back("--no-unquote");
#else
    (void)arguments;
#endif
}

std::filesystem::path BackupArchiver::backup(const std::filesystem::path& folder, std::string_view stamp)
{
    const std::filesystem::path source = folder.has_filename() ? folder : folder.parent_path();
    const std::string name = source.filename().string();
    const auto archive = AppPaths::backupsDir() / (name + "-" + std::string(stamp) + ".tar.gz");
    // The name follows "--": every project folder name begins with "-".
    std::vector<std::string> arguments{"-czf", archive.string()};
    BackupArchiver::addLiteralNamesOption(arguments);
    arguments.insert(arguments.end(), {"-C", source.parent_path().string(), "--", name});
    const auto outcome = ChildProcess::run("/usr/bin/tar", arguments);
    if (outcome.exitStatus != 0)
        throw MigrationError::backupFailed(UnicodeText::isValidUtf8(outcome.standardError) ? outcome.standardError : "");
    return archive;
}

} // namespace threadhop
