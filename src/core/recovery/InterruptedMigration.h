#pragma once

#include "core/operations/PendingOperation.h"

#include <optional>
#include <string>

// Puts a folder migration that was killed half-way back as it was before, from its backup.
namespace threadhop::InterruptedMigration {

/// Reads the migration's archive and checks that every file it holds is, where the migration may
/// have left it, either as archived or as the migration rewrites it (the kept original of a
/// replaced file counts as archived), and that no other file appeared there. Then moves the
/// entries back into the old folder and gives every file its earlier bytes; our temporary files
/// go. Returns why it changed nothing instead, when a check fails. Throws on a file-system error
/// while putting back (some files may be back then).
std::optional<std::string> putBack(const PendingOperation& migration);

} // namespace threadhop::InterruptedMigration
