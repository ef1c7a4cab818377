#pragma once

#include "ConversationMigrator.h"
#include "core/operations/PendingOperation.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The moves of an undo, as its pending note names them (see PendingRestore), and the way back
// from any point between them: the undo itself takes a failed move back with them, and the next
// start an undo that was killed half-way.
namespace threadhop::RestoreMoves {

/// The folders an undo works with, from its note.
struct Folders {
    std::filesystem::path oldFolder;
    std::filesystem::path newFolder;
    std::filesystem::path archived; ///< the archive's copy of oldFolder, in the extraction folder
    std::filesystem::path keptNew;  ///< what is taken out of newFolder
    std::filesystem::path keptOld;  ///< what the archive replaces in oldFolder

    explicit Folders(const PendingOperation& note);
};

/// Takes the entries out of newFolder and the replaced ones out of oldFolder into the kept folder,
/// then puts the archive's copies into oldFolder, and removes newFolder when it is left empty.
/// Throws std::filesystem::filesystem_error at the first move that fails; what moved stays moved.
void apply(const PendingOperation& note, const ConversationMigrator::EntryMove& move);

/// Whatever of apply() is done, taken back: the archive's copies out of oldFolder (only while they
/// are exactly as placed), the kept entries back where they were. Returns why something could not
/// be taken back (the rest is back then), or nothing.
std::optional<std::string> takeBack(const PendingOperation& note, const ConversationMigrator::EntryMove& move);

/// The files below `path`, each as it will stand below `placedAs` once `path` is moved there.
void collectPlaced(const std::filesystem::path& path, const std::filesystem::path& placedAs,
                   std::vector<PlacedFile>& into);

/// Removes the extraction and kept folders once the undo's outcome is told. Errors are ignored.
void discard(const PendingOperation& note);

} // namespace threadhop::RestoreMoves
