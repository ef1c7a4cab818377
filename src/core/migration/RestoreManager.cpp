#include "RestoreManager.h"

#include "BackupArchiver.h"
#include "MigrationAudit.h"
#include "core/models/UserError.h"
#include "core/util/fs/FileMetadata.h"

#include <algorithm>
#include <set>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error))
        names.insert(it->path().filename().string());
    if (error)
        names.clear();
    return names;
}

// Takes away what the migration put into the migrated folder.
void removeMigratedCopy(const MigrationRecord& record, const fs::path& migrated)
{
    if (!record.movedEntryNames) {
        if (record.oldFolder == record.newFolder || !FileMetadata::itemExists(migrated))
            return; // a resync: the extraction has written the archived files over the folder
        try {
            fs::remove_all(migrated);
        } catch (const fs::filesystem_error& error) {
            throw MigrationError::renameFailed(
                "Could not remove " + record.newFolder + ": " + UserError::describe(error)
                + ". The conversations are back in place, but the migrated copy is still there too.");
        }
        return;
    }
    std::vector<std::string> stuck;
    for (const auto& name : *record.movedEntryNames) {
        if (!FileMetadata::itemExists(migrated / name))
            continue;
        std::error_code error;
        fs::remove_all(migrated / name, error);
        if (error)
            stuck.push_back(name);
    }
    if (!stuck.empty())
        throw MigrationError::renameFailed("The conversations are back in " + record.oldFolder + ", but "
                                           + std::to_string(stuck.size()) + " could not be taken out of "
                                           + record.newFolder + ": " + UserError::listed(stuck)
                                           + ". They are in both places now.");
}

// One entry of a folder, as the system writes every folder and entry name: anything else read from
// the history (empty, ".", "..", a path) would reach outside the account's projects folder.
bool isPlainName(std::string_view name)
{
    constexpr std::string_view forbidden("/\0", 2);
    return !name.empty() && name != "." && name != ".." && name.find_first_of(forbidden) == std::string_view::npos;
}

bool namesArePlain(const MigrationRecord& record)
{
    if (!isPlainName(record.oldFolder) || !isPlainName(record.newFolder))
        return false;
    return !record.movedEntryNames
        || std::all_of(record.movedEntryNames->begin(), record.movedEntryNames->end(),
                       [](const std::string& name) { return isPlainName(name); });
}

} // namespace

std::optional<MigrationError> RestoreManager::obstacle(const MigrationRecord& record, const fs::path& projectsRoot,
                                                       const std::vector<MigrationRecord>& audit)
{
    if (!namesArePlain(record))
        return MigrationError::notRestorable(
            "This entry is damaged: it names a folder or a conversation by something other than a plain name, so "
            "undoing it could touch files outside the project.");
    if (record.targetAccountId)
        return MigrationError::notRestorable(
            "This entry moved a conversation to another account. Undoing it from its backup would overwrite the "
            "source project while the copy stays in the other account.");
    if (record.dryRun)
        return MigrationError::notRestorable("A dry run changed nothing.");
    if (!record.success && (!record.movedEntryNames || record.movedEntryNames->empty()))
        return MigrationError::notRestorable("This entry did not change anything.");
    if (!record.backupPath || !FileMetadata::itemExists(*record.backupPath))
        return MigrationError::backupFailed("The backup no longer exists.");
    if (std::any_of(audit.begin(), audit.end(),
                    [&](const MigrationRecord& other) { return other.revertsRecordId == record.id; }))
        return MigrationError::notRestorable("This migration has already been undone.");
    if (record.oldFolder != record.newFolder) {
        const auto migrated = projectsRoot / record.newFolder;
        if (!FileMetadata::itemExists(migrated))
            return MigrationError::notRestorable("The conversations have moved again since this migration, so undoing "
                                                 "it would bring back a copy instead of "
                                                 "putting things as they were.");
        if (record.movedEntryNames) {
            const auto present = namesIn(migrated);
            const auto missing = std::count_if(record.movedEntryNames->begin(), record.movedEntryNames->end(),
                                               [&](const std::string& name) { return !present.contains(name); });
            if (missing > 0)
                return MigrationError::notRestorable(
                    std::to_string(missing)
                    + " of the conversations this move brought in are no longer in that "
                      "project, so undoing it would not put things as they were.");
        }
    }
    return std::nullopt;
}

MigrationRecord RestoreManager::restore(const MigrationRecord& record, const fs::path& projectsRoot,
                                        std::string_view stamp, const std::vector<MigrationRecord>& audit)
{
    if (auto refused = obstacle(record, projectsRoot, audit))
        throw *refused;
    const auto migrated = projectsRoot / record.newFolder;
    std::optional<std::string> preRestoreArchive;
    if (FileMetadata::itemExists(migrated))
        preRestoreArchive = BackupArchiver::backup(migrated, "pre-restore-" + std::string(stamp)).string();
    BackupArchiver::extract(*record.backupPath, projectsRoot);
    removeMigratedCopy(record, migrated);

    MigrationRecord reverting{
        .id = Uuid::random(),
        .timestamp = std::chrono::system_clock::now(),
        .accountId = record.accountId,
        .oldCwd = record.newCwd,
        .newCwd = record.oldCwd,
        .oldFolder = record.newFolder,
        .newFolder = record.oldFolder,
        .backupPath = preRestoreArchive ? preRestoreArchive : record.backupPath,
        .success = true,
        .message = "Restore from backup (reverts migration " + record.id.upperText().substr(0, 8) + ")",
        .revertsRecordId = record.id,
    };
    MigrationAudit::append(reverting);
    return reverting;
}

} // namespace threadhop
