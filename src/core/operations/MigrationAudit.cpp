#include "MigrationAudit.h"

#include "core/util/format/DateText.h"
#include "core/util/format/JSONWriter.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/FileDescriptor.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/fs/ReadBuffer.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>

namespace threadhop {
namespace {

// Holds an exclusive lock on the history's lock file; other threads and processes wait for it.
class HistoryLock final {
public:
    explicit HistoryLock(const std::filesystem::path& folder)
        : m_file(folder / "audit.json.lock", O_RDWR | O_CREAT, 0644)
    {
        if (m_file.isOpen()) {
            while (::flock(m_file.get(), LOCK_EX) != 0 && errno == EINTR) { }
        }
    }

private:
    FileDescriptor m_file; // closing it releases the lock
};

// Marks a history kept beside the new one because it could not be read.
constexpr std::string_view setAsideMark = ".unreadable-";

// The elements of the history file, or why a file that exists cannot be read as a history.
struct Reading {
    std::vector<HistoryEntry> entries;
    std::optional<std::string> unreadable;
};

Reading readHistory(const std::filesystem::path& file)
{
    const FileDescriptor descriptor(file, O_RDONLY | O_CLOEXEC);
    ReadBuffer buffer;
    if (!descriptor.isOpen() || !buffer.loadOpenFile(descriptor.get())) {
        const int error = errno;
        if (error == ENOENT)
            return {};
        if (error == EOPNOTSUPP)
            return {.unreadable = "it is not a file"};
        return {.unreadable = std::generic_category().message(error)};
    }
    try {
        return {.entries = MigrationRecordCoding::decodeList(buffer.content())};
    } catch (const RecordDecodingError&) {
        return {.unreadable = "it is not a JSON array"};
    }
}

// Keeps an unreadable history beside the new one, under a name no other file has.
void setAside(const std::filesystem::path& file)
{
    const std::string base =
        file.string() + std::string(setAsideMark) + DateText::localStamp(std::chrono::system_clock::now());
    std::filesystem::path aside = base;
    for (int attempt = 2; FileMetadata::itemExists(aside); ++attempt)
        aside = base + "-" + std::to_string(attempt);
    std::filesystem::rename(file, aside);
}

} // namespace

std::filesystem::path MigrationAudit::historyFile()
{
    return AppPaths::supportDir() / "audit.json";
}

void MigrationAudit::append(const MigrationRecord& record)
{
    try {
        const auto file = historyFile();
        const HistoryLock lock(file.parent_path());
        Reading history = readHistory(file);
        if (history.unreadable)
            setAside(file);
        AtomicFile::write(file, JSONWriter::pretty(MigrationRecordCoding::encodeList(record, history.entries)) + "\n");
    } catch (...) {
        // The history lacks this record; the operation itself stands.
    }
}

void MigrationAudit::removeTemporaries()
{
    const auto file = historyFile();
    const HistoryLock lock(file.parent_path());
    const std::string prefix = "." + file.filename().string();
    std::error_code error;
    for (const auto& name : DirectoryListing::names(file.parent_path(), DirectoryListing::Hidden::include,
                                                    DirectoryListing::Unlistable::empty)) {
        if (name.starts_with(prefix) && AtomicFile::isTemporaryName(name))
            std::filesystem::remove(file.parent_path() / name, error);
    }
}

MigrationAudit::History MigrationAudit::read()
{
    Reading reading = readHistory(historyFile());
    History history{.unreadable = std::move(reading.unreadable)};
    for (auto& entry : reading.entries) {
        if (entry.record)
            history.records.push_back(std::move(*entry.record));
        else
            ++history.undecodable;
    }
    return history;
}

std::vector<MigrationRecord> MigrationAudit::records()
{
    return read().records;
}

std::vector<std::filesystem::path> MigrationAudit::setAsideHistories()
{
    const auto file = historyFile();
    const std::string prefix = file.filename().string() + std::string(setAsideMark);
    std::vector<std::filesystem::path> kept;
    for (const auto& name : DirectoryListing::names(file.parent_path(), DirectoryListing::Hidden::include,
                                                    DirectoryListing::Unlistable::empty)) {
        if (name.starts_with(prefix))
            kept.push_back(file.parent_path() / name);
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

} // namespace threadhop
