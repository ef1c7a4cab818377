#include "BackupArchiver.h"

#include "MigrationError.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/ChildProcess.h"
#include "core/util/fs/DiskFlush.h"
#include "core/util/text/UnicodeText.h"

#include <algorithm>
#include <system_error>

#include <unistd.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

const fs::path standardTar = "/usr/bin/tar";
const fs::path standardParallelGzip = "/usr/bin/pigz";
fs::path tarProgram = standardTar;
fs::path parallelGzipProgram = standardParallelGzip;

// Enough of tar's complaint to say what went wrong; a failing tar can write megabytes of it.
constexpr std::size_t keptErrorLines = 20;
constexpr std::size_t keptErrorBytes = 4096;

std::string lastLines(std::string_view text)
{
    std::size_t start = text.size();
    std::size_t lines = 0;
    // A trailing line feed ends the last line rather than starting another.
    for (std::size_t at = text.size(); at > 0; --at) {
        if (text[at - 1] == '\n' && at != text.size() && ++lines == keptErrorLines)
            break;
        start = at - 1;
    }
    start = std::max(start, text.size() > keptErrorBytes ? text.size() - keptErrorBytes : 0);
    while (start > 0 && start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        ++start; // not inside a character
    if (start == 0)
        return std::string(text);
    return "…" + std::string(text.substr(start));
}

// What went wrong, in tar's words where it said something, always with how it ended when it did not.
// (gzip begins its complaints with a line break, which would open the message with an empty line.)
std::string failureText(const ChildProcess::Outcome& outcome)
{
    std::string_view said = outcome.standardError;
    said.remove_prefix(std::min(said.find_first_not_of(" \t\r\n"), said.size()));
    std::string text = UnicodeText::isValidUtf8(said) ? lastLines(said) : std::string();
    if (outcome.signal != 0)
        text += "tar was stopped by signal " + std::to_string(outcome.signal) + ".";
    else if (text.empty())
        text = "tar exited with status " + std::to_string(outcome.exitStatus) + ".";
    return text;
}

// Runs tar; a tar that cannot even start is a failed backup too, told in the same words.
void runTar(const std::vector<std::string>& arguments, std::string_view failurePrefix)
{
    ChildProcess::Outcome outcome;
    try {
        outcome = ChildProcess::run(tarProgram, arguments);
    } catch (const std::system_error& error) {
        throw MigrationError::backupFailed(std::string(failurePrefix) + error.what() + ".");
    }
    if (outcome.exitStatus != 0)
        throw MigrationError::backupFailed(std::string(failurePrefix) + failureText(outcome));
}

void addLiteralNamesOption(std::vector<std::string>& arguments)
{
#ifndef __APPLE__
    // GNU tar reads backslash sequences in the names it is given ("\\b" and the like), which a
    // folder made from a directory such as /srv/q"uote\\back holds; before "-C", the option also
    // covers that folder's path. The system tar of macOS takes names literally already.
    arguments.emplace_back("--no-unquote");
#else
    (void)arguments;
#endif
}

} // namespace

fs::path BackupArchiver::backup(const fs::path& folder, std::string_view stamp, const Uuid& operation)
{
    const fs::path source = folder.has_filename() ? folder : folder.parent_path();
    const std::string name = source.filename().string();
    const auto archive = AppPaths::backupsDir() / (name + "-" + std::string(stamp) + ".tar.gz");
    const auto temporary = AtomicFile::temporaryPath(archive, operation);
    std::vector<std::string> arguments{"-cf", temporary.string()};
    std::error_code error;
    // gzip takes most of a migration's time on one core; pigz writes the same format on all of them.
    // A pigz that cannot run would fail every backup, so only one that can run is used.
    if (fs::is_regular_file(parallelGzipProgram, error) && ::access(parallelGzipProgram.c_str(), X_OK) == 0)
        arguments.push_back("--use-compress-program=" + parallelGzipProgram.string());
    else
        arguments.emplace_back("-z");
    addLiteralNamesOption(arguments);
    // The name follows "--": every project folder name begins with "-".
    arguments.insert(arguments.end(), {"-C", source.parent_path().string(), "--", name});
    try {
        try {
            runTar(arguments, "");
        } catch (const MigrationError& failure) {
            // tar names the file it writes; the user knows the archive by its final name.
            std::string text = failure.text();
            for (std::size_t at = 0; (at = text.find(temporary.string(), at)) != std::string::npos;
                 at += archive.string().size())
                text.replace(at, temporary.string().size(), archive.string());
            throw MigrationError::backupFailed(text);
        }
        // The archive is the way back: it must be on the disk before anything it protects changes.
        DiskFlush::file(temporary);
        fs::rename(temporary, archive);
        DiskFlush::folder(archive.parent_path());
    } catch (const fs::filesystem_error& failure) {
        fs::remove(temporary, error);
        throw MigrationError::backupFailed(UserError::describe(failure) + ".");
    } catch (...) {
        fs::remove(temporary, error);
        throw;
    }
    return archive;
}

void BackupArchiver::extract(const fs::path& archive, const fs::path& into, const std::string& member)
{
    std::vector<std::string> arguments{"-xzf", archive.string()};
    addLiteralNamesOption(arguments);
    arguments.insert(arguments.end(), {"-C", into.string(), "--", member});
    runTar(arguments, "Extraction failed: ");
}

std::vector<std::pair<fs::path, Uuid>> BackupArchiver::unfinishedArchives()
{
    std::vector<std::pair<fs::path, Uuid>> found;
    std::error_code error;
    for (fs::directory_iterator it(AppPaths::backupsDir(), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!AtomicFile::isTemporaryName(name) || !it->is_regular_file(error))
            continue;
        if (const auto operation = Uuid::parse(std::string_view(name).substr(name.size() - 36)))
            found.emplace_back(it->path(), *operation);
    }
    return found;
}

BackupArchiver::ScopedPrograms::ScopedPrograms(fs::path tar, fs::path parallelGzip)
{
    tarProgram = std::move(tar);
    parallelGzipProgram = std::move(parallelGzip);
}

BackupArchiver::ScopedPrograms::~ScopedPrograms()
{
    tarProgram = standardTar;
    parallelGzipProgram = standardParallelGzip;
}

} // namespace threadhop
