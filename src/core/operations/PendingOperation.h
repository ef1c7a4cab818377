#pragma once

#include "core/models/UserError.h"
#include "core/util/format/Uuid.h"
#include "core/util/fs/FileLock.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace threadhop {

/// A file an account move placed, as it left it; any other size or date means it changed since.
struct PlacedFile {
    std::filesystem::path path;
    std::int64_t sizeBytes = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const PlacedFile&) const = default;
};

/// What a note of a folder migration holds besides what every note holds.
struct PendingMigration {
    bool rewriteHistory = false;
    std::optional<std::vector<std::string>> mergedEntries; ///< a merge: the entries it moves into the destination
    std::filesystem::path keptOriginals;                   ///< the folder of the replaced transcripts' originals

    bool operator==(const PendingMigration&) const = default;
};

/// A moves note's entry an account move is about to add to a project folder's note, and the size of
/// that note before (-1: there was none), so that the entry can be added once the move is recorded.
struct PendingLedgerEntry {
    std::filesystem::path folder;
    std::string text;
    std::int64_t sizeBefore = -1;

    bool operator==(const PendingLedgerEntry&) const = default;
};

/// What a note of an account move holds besides what every note holds.
struct PendingAccountMove {
    std::string targetAccountId;
    std::string moveMode;
    std::filesystem::path staging;      ///< the hidden folder the copy is made in
    std::filesystem::path targetFolder; ///< the project folder the copy goes to
    bool createsTargetFolder = false;
    std::vector<PlacedFile> placed;          ///< what it puts into the target folder, once it is about to
    std::vector<PendingLedgerEntry> ledgers; ///< the moves notes' entries, once it is about to place

    bool operator==(const PendingAccountMove&) const = default;
};

/// What a note of an undo holds besides what every note holds. Its oldFolder and newFolder are
/// those of the migration it undoes: entries go out of newFolder, the archive's into oldFolder.
/// Every path below is relative: to newFolder, to oldFolder, or to the folders named here.
struct PendingRestore {
    Uuid revertsRecordId;
    std::filesystem::path extracted;    ///< the hidden folder holding the archive's <oldFolder>
    std::filesystem::path replaced;     ///< the hidden folder keeping what the undo takes away
    bool oldFolderExisted = false;      ///< otherwise the extracted folder itself becomes oldFolder
    std::vector<std::string> takenOut;  ///< entries of newFolder, kept in <replaced>/new
    std::vector<std::string> displaced; ///< paths of oldFolder the archive replaces, kept in <replaced>/old
    std::vector<std::string> broughtIn; ///< paths of the archive's copy that go into oldFolder
    std::vector<PlacedFile> placed;     ///< the files they hold, as they will stand in oldFolder

    bool operator==(const PendingRestore&) const = default;
};

/// A note, on the disk, of an operation that is changing the user's files: written before its
/// first change and removed once its outcome is recorded, so that the next start can finish the
/// story of an operation that was killed half-way (see OperationRecovery). It is a folder
/// migration's, an account move's or an undo's, each with the fields of its own.
struct PendingOperation {
    Uuid recordId; ///< the id the operation's record carries: in the history means the story is told
    std::string accountId;
    std::string oldCwd;
    std::string newCwd;
    std::string oldFolder;
    std::string newFolder;
    std::filesystem::path archive;      ///< the way back: the source folder's backup (an undo's: the migrated folder's)
    bool reported = false;              ///< the user was told that it could not be put back
    std::filesystem::path projectsRoot; ///< of the account it works on (an account move's source)
    std::variant<PendingMigration, PendingAccountMove, PendingRestore> job;

    bool operator==(const PendingOperation&) const = default;

    bool isMigration() const { return std::holds_alternative<PendingMigration>(job); }
    bool isAccountMove() const { return std::holds_alternative<PendingAccountMove>(job); }
    bool isRestore() const { return std::holds_alternative<PendingRestore>(job); }
    /// The job's own fields; the wrong kind throws std::bad_variant_access.
    const PendingMigration& migration() const { return std::get<PendingMigration>(job); }
    PendingMigration& migration() { return std::get<PendingMigration>(job); }
    const PendingAccountMove& accountMove() const { return std::get<PendingAccountMove>(job); }
    PendingAccountMove& accountMove() { return std::get<PendingAccountMove>(job); }
    const PendingRestore& restore() const { return std::get<PendingRestore>(job); }
    PendingRestore& restore() { return std::get<PendingRestore>(job); }
};

// The hidden folders operations work in, directly in a projects folder: "<kind><uuid>". A note names
// those of its operation; the next start removes those that no note names.
namespace WorkFolders {

inline constexpr std::string_view originals = ".threadhop-originals-"; ///< a migration's kept originals
inline constexpr std::string_view staging = ".threadhop-staging-";     ///< an account move's copy
inline constexpr std::string_view recovery = ".threadhop-recovery-";   ///< a backup read back by the recovery
inline constexpr std::string_view restoring = ".threadhop-restoring-"; ///< a backup read back by an undo
inline constexpr std::string_view replaced = ".threadhop-replaced-";   ///< what an undo takes away
inline constexpr std::string_view kinds[] = {originals, staging, recovery, restoring, replaced};
/// The kinds that may hold the only copy of a user's file until their operation is told.
inline constexpr std::string_view keepingKinds[] = {originals, replaced};

/// A new one of `kind` in `projectsFolder` (not created).
inline std::filesystem::path fresh(const std::filesystem::path& projectsFolder, std::string_view kind)
{
    return projectsFolder / (std::string(kind) + Uuid::random().lowerText());
}

/// True when `name` is that of a folder of `kind`.
inline bool isOf(std::string_view name, std::string_view kind)
{
    return name.starts_with(kind) && Uuid::parse(name.substr(kind.size()));
}

} // namespace WorkFolders

// The pending notes: <support folder>/pending/<record id>.json.
namespace PendingOperations {

/// A note as read back; `operation` is absent when the file could not be read or decoded.
struct Note {
    std::filesystem::path file;
    std::optional<PendingOperation> operation;
};

/// The note of an operation, or its lock, could not be written: the operation changed nothing.
class NoteError final : public UserError {
public:
    explicit NoteError(const std::filesystem::filesystem_error& cause);
};

/// Writes (or replaces) the note and flushes it to the disk. Throws NoteError.
void write(const PendingOperation& operation);

/// Removes the note and flushes its folder. Errors are ignored: a note left behind is only looked at again.
void remove(const PendingOperation& operation);

/// Every note left in the folder, in name order.
std::vector<Note> all();

/// The note in `noteFile` as it is now; nothing when the file is gone.
std::optional<Note> read(const std::filesystem::path& noteFile);

/// The operation a note's file is named after; nothing for a file of another name.
std::optional<Uuid> operationOf(const std::filesystem::path& noteFile);

/// Moves a note that will not be acted on out of the way, so that it is told once; it stays for
/// whoever looks into it. Returns where it is now (its old place when it could not be moved).
std::filesystem::path setAside(const std::filesystem::path& noteFile);

/// The notes set aside, in name order, those that cannot be read without an operation.
std::vector<Note> setAsideNotes();

/// Held by an operation from before its first archive for as long as its note may be on the disk,
/// and by the recovery while it puts that operation right: a note (or a temporary archive) whose
/// lock nobody holds belongs to an operation that was interrupted, while a second Threadhop
/// started meanwhile leaves a running one alone. The lock file goes with the object; the lock
/// itself goes with the process, however it ends.
class Lock final {
public:
    /// Takes the lock of a new operation. Throws NoteError.
    explicit Lock(const Uuid& recordId);
    /// The lock of an existing note, when no running process holds it. Throws
    /// std::filesystem::filesystem_error when the lock file cannot be made: nobody can tell then.
    static std::optional<Lock> tryTake(const Uuid& recordId);

private:
    explicit Lock(FileLock lock) : m_lock(std::move(lock)) { }

    FileLock m_lock;
};

/// Removes the lock files and temporary note files that killed operations left without a note
/// (never those of a running operation).
void removeLeftovers();

/// The size and date of the file as a PlacedFile; nothing when it cannot be read.
std::optional<PlacedFile> placedFile(const std::filesystem::path& file);

} // namespace PendingOperations
} // namespace threadhop
