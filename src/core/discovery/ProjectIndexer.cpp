#include "ProjectIndexer.h"

#include "core/util/format/JSONParser.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/FileDescriptor.h"
#include "core/util/fs/ReadBuffer.h"
#include "core/util/text/LineBreakReader.h"
#include "core/util/text/UnicodeText.h"
#include "core/validation/ResumeValidator.h"

#include <algorithm>

#include <simdjson.h>

namespace threadhop {
namespace {

// Reused from call to call: scanning an account reads one prefix per project.
struct CwdReader {
    ReadBuffer buffer;
    JSONParser parser;
};

std::optional<std::string> nonEmptyString(simdjson::simdjson_result<simdjson::dom::element> value)
{
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS || text.empty())
        return std::nullopt;
    return std::string(text);
}

std::optional<std::string> cwdOfLine(JSONParser& parser, std::string_view line)
{
    simdjson::dom::object object;
    if (parser.parse(line, true).get_object().get(object) != simdjson::SUCCESS)
        return std::nullopt;
    std::string_view type;
    if (object.at_key("type").get_string().get(type) == simdjson::SUCCESS && type == "attachment")
        return std::nullopt;
    if (auto cwd = nonEmptyString(object.at_key("cwd")))
        return cwd;
    return nonEmptyString(object.at_key("message").at_key("cwd"));
}

} // namespace

std::vector<DirectoryListing::FoundFile> ProjectIndexer::transcripts(const std::filesystem::path& folder)
{
    auto files = DirectoryListing::findFiles(folder, ".jsonl");
    // What cannot be read is no conversation to resume: neither counted nor sized, and never the newest.
    std::erase_if(files, [](const auto& file) { return !FileDescriptor::opensForReading(file.path); });
    return files;
}

std::optional<std::string> ProjectIndexer::extractCwd(const std::filesystem::path& transcript)
{
    thread_local CwdReader reader;
    if (!reader.buffer.load(transcript, cwdPrefixBytes))
        return std::nullopt;
    std::string_view text = reader.buffer.content();
    // A long first line must not cost the project its directory because the prefix ends inside a character.
    if (text.size() == cwdPrefixBytes)
        text = UnicodeText::withoutCutCharacter(text);
    if (!UnicodeText::isValidUtf8(text))
        return std::nullopt;
    LineBreakReader lines(text);
    for (int examined = 0; examined < cwdLineLimit; ++examined) {
        const auto line = lines.next();
        if (!line)
            break;
        if (auto cwd = cwdOfLine(reader.parser, *line))
            return cwd;
    }
    return std::nullopt;
}

std::vector<ProjectFolder> ProjectIndexer::projects(const ClaudeAccount& account)
{
    std::vector<ProjectFolder> folders;
    for (const auto& entry : DirectoryListing::entries(account.projectsDirURL(), DirectoryListing::Hidden::skip,
                                                       DirectoryListing::Unlistable::empty)) {
        std::error_code error;
        if (!entry.is_directory(error))
            continue;
        const auto files = transcripts(entry.path());
        const DirectoryListing::FoundFile* newest = nullptr;
        auto newestDate = distantPast();
        std::int64_t sessionCount = 0;
        std::int64_t totalSize = 0;
        auto lastModified = distantPast();
        for (const auto& file : files) {
            const auto modified = file.metadata.modified;
            totalSize += file.metadata.sizeBytes;
            lastModified = std::max(lastModified, modified);
            if (file.depth > 0)
                continue;
            ++sessionCount;
            // Only a strictly later date replaces the choice, so equal dates keep listing order.
            if (!newest || modified > newestDate) {
                newest = &file;
                newestDate = modified;
            }
        }
        if (sessionCount == 0)
            continue;
        const std::string folderName = entry.path().filename().string();
        auto actualCwd = extractCwd(newest->path);
        const auto status = ResumeValidator::status(folderName, actualCwd);
        folders.push_back(ProjectFolder{
            .id = account.id + ":" + folderName,
            .accountId = account.id,
            .folderName = folderName,
            .actualCwd = std::move(actualCwd),
            .sessionCount = sessionCount,
            .subagentCount = static_cast<std::int64_t>(files.size()) - sessionCount,
            .totalSizeBytes = totalSize,
            .lastModified = lastModified,
            .status = status,
        });
    }
    std::stable_sort(folders.begin(), folders.end(),
                     [](const ProjectFolder& a, const ProjectFolder& b) { return a.lastModified > b.lastModified; });
    return folders;
}

std::optional<std::string> ProjectIndexer::unreadableProjectsFolder(const ClaudeAccount& account)
{
    const auto folder = account.projectsDirURL();
    std::error_code error;
    const std::filesystem::directory_iterator listing(folder, error);
    if (!error || error == std::errc::no_such_file_or_directory)
        return std::nullopt;
    return "Threadhop cannot read " + folder.string() + ": " + error.message() + ".";
}

} // namespace threadhop
