#pragma once

#include "AccountMoveError.h"
#include "AccountMovePreview.h"
#include "core/models/AccountMoveInput.h"

#include <filesystem>
#include <string>

// Copies one conversation from one Claude Code account into another, as a clone that keeps its
// session id or as a fork with fresh identity values, whole or trimmed to its last lines,
// optionally under a new working directory. Synchronous; nothing is locked.
namespace threadhop::AccountMover {

/// The working directory the copy will record: `newCwd` when present and not empty, otherwise
/// `launchCwd` (an empty new directory would make the projects folder itself the target).
std::string destinationCwd(const AccountMoveInput& input);

/// <source configDirURL>/projects/<sourceFolderName>.
std::filesystem::path sourceFolder(const AccountMoveInput& input);

/// <target configDirURL>/projects/<encoded destinationCwd>.
std::filesystem::path targetFolder(const AccountMoveInput& input);

/// What the move would do; reads the source and the target, writes nothing. Collisions and
/// broken transcripts are reported, not refused: the move refuses them. An unreadable or non-UTF-8
/// source transcript gives an empty integrity and no trim.
/// Throws AccountMoveError::sameAccount (checked before anything is read), then
/// AccountMoveError::noCwdRecorded when `launchCwd` is empty, then
/// SessionCopier::CopyError::transcriptMissing.
AccountMovePreview preview(const AccountMoveInput& input);

} // namespace threadhop::AccountMover
