#include "PendingOperation.h"

#include "core/util/format/JSONParser.h"
#include "core/util/format/JSONValue.h"
#include "core/util/format/JSONWriter.h"
#include "core/util/fs/AppPaths.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/DiskFlush.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/fs/ReadBuffer.h"

#include <algorithm>
#include <utility>

namespace threadhop {
namespace {

namespace fs = std::filesystem;
using simdjson::dom::object;

fs::path notesFolder()
{
    return AppPaths::supportDir() / "pending";
}

fs::path noteFile(const PendingOperation& operation)
{
    return notesFolder() / (operation.recordId.upperText() + ".json");
}

fs::path lockFile(const Uuid& recordId)
{
    return notesFolder() / (recordId.upperText() + ".lock");
}

JSONValue::Array texts(const std::vector<std::string>& values)
{
    return JSONValue::Array(values.begin(), values.end());
}

JSONValue::Array encode(const std::vector<PlacedFile>& files)
{
    JSONValue::Array encoded;
    for (const auto& file : files)
        encoded.emplace_back(JSONValue::Object{{"path", file.path.string()},
                                               {"sizeBytes", file.sizeBytes},
                                               {"modifiedNanoseconds", file.modifiedNanoseconds}});
    return encoded;
}

std::string_view kindName(const PendingOperation& operation)
{
    return operation.isMigration() ? "migration" : operation.isRestore() ? "restore" : "accountMove";
}

JSONValue encode(const PendingOperation& operation)
{
    JSONValue::Object note{
        {"kind", std::string(kindName(operation))},
        {"recordId", operation.recordId.upperText()},
        {"accountId", operation.accountId},
        {"oldCwd", operation.oldCwd},
        {"newCwd", operation.newCwd},
        {"oldFolder", operation.oldFolder},
        {"newFolder", operation.newFolder},
        {"archive", operation.archive.string()},
        {"reported", operation.reported},
        {"projectsRoot", operation.projectsRoot.string()},
    };
    if (operation.isMigration()) {
        const auto& migration = operation.migration();
        note.emplace("rewriteHistory", migration.rewriteHistory);
        note.emplace("keptOriginals", migration.keptOriginals.string());
        if (migration.mergedEntries)
            note.emplace("mergedEntries",
                         JSONValue::Array(migration.mergedEntries->begin(), migration.mergedEntries->end()));
        return note;
    }
    if (operation.isRestore()) {
        const auto& restore = operation.restore();
        note.emplace("revertsRecordId", restore.revertsRecordId.upperText());
        note.emplace("extracted", restore.extracted.string());
        note.emplace("replaced", restore.replaced.string());
        note.emplace("oldFolderExisted", restore.oldFolderExisted);
        note.emplace("takenOut", texts(restore.takenOut));
        note.emplace("displaced", texts(restore.displaced));
        note.emplace("broughtIn", texts(restore.broughtIn));
        note.emplace("placed", encode(restore.placed));
        return note;
    }
    const auto& move = operation.accountMove();
    JSONValue::Array ledgers;
    for (const auto& ledger : move.ledgers)
        ledgers.emplace_back(JSONValue::Object{
            {"folder", ledger.folder.string()}, {"text", ledger.text}, {"sizeBefore", ledger.sizeBefore}});
    note.emplace("targetAccountId", move.targetAccountId);
    note.emplace("moveMode", move.moveMode);
    note.emplace("staging", move.staging.string());
    note.emplace("targetFolder", move.targetFolder.string());
    note.emplace("createsTargetFolder", move.createsTargetFolder);
    note.emplace("placed", encode(move.placed));
    note.emplace("ledgers", ledgers);
    return note;
}

std::string text(object note, std::string_view key)
{
    std::string_view value;
    if (note.at_key(key).get_string().get(value) != simdjson::SUCCESS)
        throw std::invalid_argument(std::string(key));
    return std::string(value);
}

bool flag(object note, std::string_view key)
{
    bool value = false;
    if (note.at_key(key).get_bool().get(value) != simdjson::SUCCESS)
        throw std::invalid_argument(std::string(key));
    return value;
}

std::int64_t integer(object note, std::string_view key)
{
    std::int64_t value = 0;
    if (note.at_key(key).get_int64().get(value) != simdjson::SUCCESS)
        throw std::invalid_argument(std::string(key));
    return value;
}

simdjson::dom::array array(object note, std::string_view key)
{
    simdjson::dom::array value;
    if (note.at_key(key).get_array().get(value) != simdjson::SUCCESS)
        throw std::invalid_argument(std::string(key));
    return value;
}

std::vector<std::string> textList(object note, std::string_view key)
{
    std::vector<std::string> values;
    for (const auto entry : array(note, key)) {
        std::string_view value;
        if (entry.get_string().get(value) != simdjson::SUCCESS)
            throw std::invalid_argument(std::string(key));
        values.emplace_back(value);
    }
    return values;
}

PendingMigration decodeMigration(object note)
{
    PendingMigration migration{.rewriteHistory = flag(note, "rewriteHistory"),
                               .keptOriginals = text(note, "keptOriginals")};
    if (note.at_key("mergedEntries").error() != simdjson::NO_SUCH_FIELD)
        migration.mergedEntries = textList(note, "mergedEntries");
    return migration;
}

std::vector<PlacedFile> placedFiles(object note)
{
    std::vector<PlacedFile> placed;
    for (const auto entry : array(note, "placed")) {
        object file;
        if (entry.get_object().get(file) != simdjson::SUCCESS)
            throw std::invalid_argument("placed");
        placed.push_back({text(file, "path"), integer(file, "sizeBytes"), integer(file, "modifiedNanoseconds")});
    }
    return placed;
}

PendingAccountMove decodeAccountMove(object note)
{
    PendingAccountMove move{.targetAccountId = text(note, "targetAccountId"),
                            .moveMode = text(note, "moveMode"),
                            .staging = text(note, "staging"),
                            .targetFolder = text(note, "targetFolder"),
                            .createsTargetFolder = flag(note, "createsTargetFolder"),
                            .placed = placedFiles(note)};
    // Notes written before moves noted their ledger entries have none.
    if (note.at_key("ledgers").error() == simdjson::NO_SUCH_FIELD)
        return move;
    for (const auto entry : array(note, "ledgers")) {
        object ledger;
        if (entry.get_object().get(ledger) != simdjson::SUCCESS)
            throw std::invalid_argument("ledgers");
        move.ledgers.push_back({text(ledger, "folder"), text(ledger, "text"), integer(ledger, "sizeBefore")});
    }
    return move;
}

PendingRestore decodeRestore(object note)
{
    const auto reverts = Uuid::parse(text(note, "revertsRecordId"));
    if (!reverts)
        throw std::invalid_argument("revertsRecordId");
    return PendingRestore{.revertsRecordId = *reverts,
                          .extracted = text(note, "extracted"),
                          .replaced = text(note, "replaced"),
                          .oldFolderExisted = flag(note, "oldFolderExisted"),
                          .takenOut = textList(note, "takenOut"),
                          .displaced = textList(note, "displaced"),
                          .broughtIn = textList(note, "broughtIn"),
                          .placed = placedFiles(note)};
}

// Notes written before the two kinds had fields of their own carry every key: each kind reads its own.
std::optional<PendingOperation> decode(std::string_view json)
{
    JSONParser parser;
    object note;
    if (parser.parse(json).get_object().get(note) != simdjson::SUCCESS)
        return std::nullopt;
    try {
        const std::string kind = text(note, "kind");
        const auto id = Uuid::parse(text(note, "recordId"));
        if ((kind != "migration" && kind != "accountMove" && kind != "restore") || !id)
            return std::nullopt;
        PendingOperation operation{
            .recordId = *id,
            .accountId = text(note, "accountId"),
            .oldCwd = text(note, "oldCwd"),
            .newCwd = text(note, "newCwd"),
            .oldFolder = text(note, "oldFolder"),
            .newFolder = text(note, "newFolder"),
            .archive = text(note, "archive"),
            .reported = flag(note, "reported"),
            .projectsRoot = text(note, "projectsRoot"),
        };
        if (kind == "migration")
            operation.job = decodeMigration(note);
        else if (kind == "restore")
            operation.job = decodeRestore(note);
        else
            operation.job = decodeAccountMove(note);
        return operation;
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

constexpr std::string_view setAsideExtension = ".unreadable";

// The files of the notes folder with that extension (temporary files left out), in name order.
std::vector<fs::path> filesNamed(std::string_view extension)
{
    const fs::path folder = notesFolder();
    std::vector<fs::path> files;
    for (const auto& name :
         DirectoryListing::names(folder, DirectoryListing::Hidden::include, DirectoryListing::Unlistable::empty)) {
        if (fs::path(name).extension() == extension && !AtomicFile::isTemporaryName(name))
            files.push_back(folder / name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

PendingOperations::NoteError::NoteError(const fs::filesystem_error& cause)
    : UserError("Threadhop could not write its note of the operation in " + notesFolder().string() + ": "
                + cause.code().message() + ". Nothing was changed.")
{
}

void PendingOperations::write(const PendingOperation& operation)
{
    try {
        fs::create_directories(notesFolder());
        AtomicFile::write(noteFile(operation), JSONWriter::pretty(encode(operation)) + "\n");
    } catch (const fs::filesystem_error& error) {
        throw NoteError(error);
    }
}

void PendingOperations::remove(const PendingOperation& operation)
{
    std::error_code ignored;
    fs::remove(noteFile(operation), ignored);
    DiskFlush::folder(notesFolder());
}

std::vector<PendingOperations::Note> PendingOperations::all()
{
    std::vector<Note> notes;
    for (auto& file : filesNamed(".json")) {
        if (auto note = read(file))
            notes.push_back(std::move(*note));
    }
    return notes;
}

std::optional<PendingOperations::Note> PendingOperations::read(const fs::path& noteFile)
{
    if (!FileMetadata::itemExists(noteFile))
        return std::nullopt;
    ReadBuffer buffer;
    return Note{noteFile, buffer.load(noteFile) ? decode(buffer.content()) : std::nullopt};
}

std::optional<Uuid> PendingOperations::operationOf(const fs::path& noteFile)
{
    return Uuid::parse(noteFile.stem().string());
}

fs::path PendingOperations::setAside(const fs::path& noteFile)
{
    const fs::path aside = fs::path(noteFile).replace_extension(setAsideExtension);
    std::error_code error;
    fs::rename(noteFile, aside, error);
    return error ? noteFile : aside;
}

std::vector<PendingOperations::Note> PendingOperations::setAsideNotes()
{
    std::vector<Note> notes;
    ReadBuffer buffer;
    for (auto& file : filesNamed(setAsideExtension)) {
        auto operation = buffer.load(file) ? decode(buffer.content()) : std::nullopt;
        notes.push_back({std::move(file), std::move(operation)});
    }
    return notes;
}

PendingOperations::Lock::Lock(const Uuid& recordId)
    : m_lock([&] {
          const fs::path file = lockFile(recordId);
          try {
              fs::create_directories(file.parent_path());
              if (auto taken = FileLock::tryTake(file, FileLock::File::goes))
                  return std::move(*taken);
              throw fs::filesystem_error("cannot lock", file,
                                         std::make_error_code(std::errc::resource_unavailable_try_again));
          } catch (const fs::filesystem_error& error) {
              throw NoteError(error);
          }
      }())
{
}

std::optional<PendingOperations::Lock> PendingOperations::Lock::tryTake(const Uuid& recordId)
{
    // A note without a lock file was left by a process that died before it locked it.
    if (auto taken = FileLock::tryTake(lockFile(recordId), FileLock::File::goes))
        return Lock(std::move(*taken));
    return std::nullopt;
}

void PendingOperations::removeLeftovers()
{
    std::error_code error;
    for (const auto& text : DirectoryListing::names(notesFolder(), DirectoryListing::Hidden::include,
                                                    DirectoryListing::Unlistable::empty)) {
        const fs::path name = text;
        // <id>.lock without <id>.json, and .<id>.json.threadhop-<uuid>: both name their operation's id.
        const bool lock = name.extension() == ".lock"
            && !FileMetadata::itemExists(notesFolder() / fs::path(name).replace_extension(".json"));
        const bool temporary = AtomicFile::isTemporaryName(text);
        if (!lock && !temporary)
            continue;
        const auto id =
            Uuid::parse(temporary ? std::string_view(text).substr(1, 36) : std::string_view(text).substr(0, 36));
        if (!id)
            continue;
        try {
            if (auto held = Lock::tryTake(*id); held && temporary)
                fs::remove(notesFolder() / name, error);
        } catch (const fs::filesystem_error&) {
            // Looked at again at the next start.
        }
    }
}

std::optional<PlacedFile> PendingOperations::placedFile(const fs::path& file)
{
    const auto metadata = FileMetadata::read(file);
    if (!metadata || metadata->isDirectory)
        return std::nullopt;
    return PlacedFile{
        file, metadata->sizeBytes,
        std::chrono::duration_cast<std::chrono::nanoseconds>(metadata->modified.time_since_epoch()).count()};
}

} // namespace threadhop
