#pragma once

#include "AccountMoveError.h"
#include "AccountMovePreview.h"
#include "core/models/AccountMoveInput.h"
#include "core/models/MigrationRecord.h"

#include <filesystem>
#include <string>
#include <string_view>

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

/// Carries the move out and returns its history record, already appended: archives the source
/// project folder (and the target one when it exists; that archive may fail), copies the
/// conversation, trims it, rewrites a fork's identity values and the working directory, verifies
/// the copy, and writes the moves note in both folders. `stamp` ("yyyyMMdd-HHmmss", local time)
/// names the archives. A failure after the copy began removes what the copy placed in the target
/// folder. Throws the preview's refusals, AccountMoveError (collision, brokenTranscript,
/// trimNeedsFork, verificationFailed), SessionCopier::CopyError, MigrationError::backupFailed, or
/// the platform's error.
MigrationRecord move(const AccountMoveInput& input, std::string_view stamp);

} // namespace threadhop::AccountMover
