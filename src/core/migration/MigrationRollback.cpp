#include "MigrationRollback.h"

#include "core/models/UserError.h"
#include "core/util/fs/FileMetadata.h"

#include <algorithm>

namespace threadhop {

namespace fs = std::filesystem;

MigrationRollback::MigrationRollback(Folders folders, KeptOriginals& originals,
                                     const ConversationMigrator::EntryMove& move)
    : m_folders(std::move(folders)), m_originals(originals), m_move(move)
{
}

std::vector<std::string> MigrationRollback::moveEntriesBack()
{
    std::vector<std::string> stuck;
    if (m_merged) {
        std::error_code ignored;
        fs::create_directories(m_folders.oldFolder, ignored);
        for (const auto& name : *m_merged) {
            if (!FileMetadata::itemExists(m_folders.newFolder / name))
                continue;
            try {
                m_move(m_folders.newFolder / name, m_folders.oldFolder / name);
            } catch (const std::exception&) {
                stuck.push_back(name);
            }
        }
    } else if (m_renamed && FileMetadata::itemExists(m_folders.newFolder)) {
        try {
            m_move(m_folders.newFolder, m_folders.oldFolder);
        } catch (const std::exception&) {
            stuck.push_back(m_folders.newFolder.filename().string());
        }
    }
    return stuck;
}

MigrationRollback::Residue MigrationRollback::rollBack()
{
    const auto stuck = moveEntriesBack();
    const bool wholeFolderStuck = m_renamed && !stuck.empty();
    Residue residue;
    // A file of an entry that could not be moved back still gets its bytes back where it is.
    residue.unrestoredFiles = m_originals.putBack([&](const std::string& entry) {
        const bool entryStuck = std::find(stuck.begin(), stuck.end(), entry) != stuck.end();
        return wholeFolderStuck || entryStuck ? m_folders.newFolder : m_folders.oldFolder;
    });
    const std::string archived = "The folder was archived before this started: " + m_folders.archive + ".";
    std::string unrestored;
    if (!residue.unrestoredFiles.empty())
        unrestored = std::to_string(residue.unrestoredFiles.size())
            + " file(s) still hold the rewritten text: " + UserError::listed(residue.unrestoredFiles) + ". ";
    if (!stuck.empty()) {
        residue.names = stuck;
        residue.message = std::to_string(stuck.size()) + " item(s) could not be put back and are still in "
            + m_folders.newFolder.filename().string() + ": " + UserError::listed(stuck) + ". " + unrestored + archived;
    } else if (!unrestored.empty()) {
        residue.message =
            "The files are back in " + m_folders.oldFolder.filename().string() + ", but " + unrestored + archived;
    } else {
        residue.message = "Nothing was applied; every file is back where it started.";
    }
    return residue;
}

} // namespace threadhop
