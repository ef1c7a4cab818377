#pragma once

#include "ConversationMigrator.h"
#include "KeptOriginals.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace threadhop {

/// Puts a failed folder migration back: the entries it moved return to the old folder, then every
/// transcript it replaced gets back the exact bytes it held (never a reverse rewrite, which would
/// also turn values that rightly named the new directory into the old one).
class MigrationRollback final {
public:
    struct Folders {
        std::filesystem::path oldFolder;
        std::filesystem::path newFolder;
        std::string archive; ///< the source folder's backup, named where something stays wrong
    };

    /// What could not be put back, and the sentence that says so.
    struct Residue {
        std::optional<std::vector<std::string>> names; ///< entries still in the new folder
        std::vector<std::string> unrestoredFiles;      ///< relative to the old folder
        std::string message;

        bool complete() const { return !names && unrestoredFiles.empty(); }
    };

    MigrationRollback(Folders folders, KeptOriginals& originals, const ConversationMigrator::EntryMove& move);

    /// The migration moved these entries into the destination (which existed before).
    void noteMerged(std::vector<std::string> names) { m_merged = std::move(names); }
    /// The migration renamed the old folder to the new one.
    void noteRenamed() { m_renamed = true; }

    Residue rollBack();

private:
    std::vector<std::string> moveEntriesBack();

    Folders m_folders;
    KeptOriginals& m_originals;
    const ConversationMigrator::EntryMove& m_move;
    std::optional<std::vector<std::string>> m_merged;
    bool m_renamed = false;
};

} // namespace threadhop
