#include "BackupArchiver.h"

#include "MigrationError.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/ChildProcess.h"
#include "core/util/fs/DiskFlush.h"
#include "core/util/text/UnicodeText.h"

#include <algorithm>
#include <system_error>

namespace threadhop {
namespace {

std::filesystem::path tarProgram = "/usr/bin/tar";

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
std::string failureText(const ChildProcess::Outcome& outcome)
{
    std::string text =
        UnicodeText::isValidUtf8(outcome.standardError) ? lastLines(outcome.standardError) : std::string();
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

std::filesystem::path BackupArchiver::backup(const std::filesystem::path& folder, std::string_view stamp)
{
    const std::filesystem::path source = folder.has_filename() ? folder : folder.parent_path();
    const std::string name = source.filename().string();
    const auto archive = AppPaths::backupsDir() / (name + "-" + std::string(stamp) + ".tar.gz");
    std::vector<std::string> arguments{"-czf", archive.string()};
    addLiteralNamesOption(arguments);
    // The name follows "--": every project folder name begins with "-".
    arguments.insert(arguments.end(), {"-C", source.parent_path().string(), "--", name});
    runTar(arguments, "");
    // The archive is the way back: it must be on the disk before anything it protects changes.
    DiskFlush::file(archive);
    DiskFlush::folder(archive.parent_path());
    return archive;
}

void BackupArchiver::extract(const std::filesystem::path& archive, const std::filesystem::path& into)
{
    std::vector<std::string> arguments{"-xzf", archive.string()};
    addLiteralNamesOption(arguments);
    arguments.insert(arguments.end(), {"-C", into.string()});
    runTar(arguments, "Extraction failed: ");
}

BackupArchiver::ScopedTarProgram::ScopedTarProgram(std::filesystem::path program)
{
    tarProgram = std::move(program);
}

BackupArchiver::ScopedTarProgram::~ScopedTarProgram()
{
    tarProgram = "/usr/bin/tar";
}

} // namespace threadhop
