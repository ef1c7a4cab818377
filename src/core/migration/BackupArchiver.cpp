#include "BackupArchiver.h"

#include "MigrationError.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/ChildProcess.h"
#include "core/util/fs/DirectoryListing.h"
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

// Enough of tar's complaint to say what went wrong; a failing tar can write a line of any length.
constexpr std::size_t keptErrorBytes = 4096;

// The first position at or after `at` that does not fall inside a UTF-8 character.
std::size_t characterStart(std::string_view text, std::size_t at)
{
    while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        ++at;
    return at;
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

// tar's closing words, which follow the line that says why.
constexpr std::string_view closingWords[] = {"Error is not recoverable", "Child returned status",
                                             "Exiting with failure status", "Error exit delayed"};

// The line without the name of the program that wrote it ("tar: ", "/usr/bin/tar: ",
// "tar (child): ", "pigz: abort: ").
std::string_view withoutProgramName(std::string_view line)
{
    const auto colon = line.find(": ");
    if (colon == std::string_view::npos)
        return line;
    std::string_view program = line.substr(0, colon);
    if (program.ends_with(" (child)"))
        program.remove_suffix(std::string_view(" (child)").size());
    const std::string_view name = program.substr(program.rfind('/') + 1);
    if (program.find(' ') != std::string_view::npos
        || (name != tarProgram.filename().native() && name != parallelGzipProgram.filename().native()
            && name != "gzip"))
        return line;
    line.remove_prefix(colon + 2);
    if (line.starts_with("abort: "))
        line.remove_prefix(std::string_view("abort: ").size());
    return line;
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

std::string BackupArchiver::lastMeaningfulLine(std::string_view toolOutput)
{
    std::string_view found;
    for (std::string_view rest = toolOutput; !rest.empty() && found.empty();) {
        const auto lineFeed = rest.rfind('\n');
        const std::size_t begin = lineFeed == std::string_view::npos ? 0 : lineFeed + 1;
        const std::string_view line = withoutProgramName(trimmed(rest.substr(begin)));
        rest = rest.substr(0, begin == 0 ? 0 : lineFeed);
        const bool closing = std::any_of(std::begin(closingWords), std::end(closingWords),
                                         [&](std::string_view words) { return line.starts_with(words); });
        if (!closing)
            found = line;
    }
    if (!UnicodeText::isValidUtf8(found))
        return {};
    // A line can be as long as a program cares to write; its end says why.
    if (found.size() <= keptErrorBytes)
        return std::string(found);
    return "…" + std::string(found.substr(characterStart(found, found.size() - keptErrorBytes)));
}

fs::path BackupArchiver::backup(const fs::path& folder, std::string_view stamp, const Uuid& operation)
{
    const fs::path source = folder.has_filename() ? folder : folder.parent_path();
    const std::string name = source.filename().string();
    const auto failed = [&](const std::string& reason) {
        return MigrationError::backupFailed(source.string(), reason);
    };
    fs::path backups;
    try {
        backups = AppPaths::subfolder(AppPaths::backupsFolderName);
    } catch (const fs::filesystem_error& failure) {
        throw failed(UserError::describe(failure));
    }
    const auto archive = backups / (name + "-" + std::string(stamp) + ".tar.gz");
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
        ChildProcess::Outcome outcome;
        try {
            outcome = ChildProcess::run(tarProgram, arguments);
        } catch (const std::system_error& failure) {
            throw failed("Threadhop could not start " + tarProgram.filename().string() + ": "
                         + failure.code().message());
        }
        if (outcome.exitStatus != 0) {
            // tar names the file it writes; the user knows the archive by its final name.
            std::string line = BackupArchiver::lastMeaningfulLine(outcome.standardError);
            for (std::size_t at = 0; (at = line.find(temporary.string(), at)) != std::string::npos;
                 at += archive.string().size())
                line.replace(at, temporary.string().size(), archive.string());
            throw failed(line);
        }
        // The archive is the way back: it must be on the disk before anything it protects changes.
        DiskFlush::file(temporary);
        fs::rename(temporary, archive);
        DiskFlush::folder(archive.parent_path());
    } catch (const fs::filesystem_error& failure) {
        fs::remove(temporary, error);
        throw failed(UserError::describe(failure));
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
    const auto unreadable = [&](const std::string& why) {
        return MigrationError::undoFailed("the backup " + archive.string() + " could not be read back (" + why
                                          + "). Nothing was changed.");
    };
    ChildProcess::Outcome outcome;
    try {
        outcome = ChildProcess::run(tarProgram, arguments);
    } catch (const std::system_error& failure) {
        throw unreadable("Threadhop could not start " + tarProgram.filename().string() + ": "
                         + failure.code().message());
    }
    if (outcome.exitStatus == 0)
        return;
    std::string why = lastMeaningfulLine(outcome.standardError);
    if (why.empty())
        why = outcome.signal != 0 ? "tar was stopped by signal " + std::to_string(outcome.signal)
                                  : "tar exited with status " + std::to_string(outcome.exitStatus);
    throw unreadable(why);
}

std::vector<std::pair<fs::path, Uuid>> BackupArchiver::unfinishedArchives()
{
    std::vector<std::pair<fs::path, Uuid>> found;
    std::error_code error;
    for (const auto& entry : DirectoryListing::entries(AppPaths::backupsDir(), DirectoryListing::Hidden::include,
                                                       DirectoryListing::Unlistable::empty)) {
        const std::string name = entry.path().filename().string();
        if (!AtomicFile::isTemporaryName(name) || !entry.is_regular_file(error))
            continue;
        if (const auto operation = Uuid::parse(std::string_view(name).substr(name.size() - 36)))
            found.emplace_back(entry.path(), *operation);
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
