#pragma once

#include "SessionCopier.h"
#include "core/operations/PendingOperation.h"

#include <filesystem>
#include <string>
#include <vector>

namespace threadhop {

/// Where an account move makes its copy: a hidden folder beside the target folder, in the target
/// account's projects folder. The copy is trimmed, rewritten and verified there and moved into the
/// target folder only as a whole, so that no half-made copy (one still carrying the source's
/// session id, say) ever stands where Claude Code looks. The hidden folder goes with this object.
class StagedCopy final {
public:
    StagedCopy(std::filesystem::path targetFolder, std::string newSessionId);
    ~StagedCopy();
    StagedCopy(const StagedCopy&) = delete;
    StagedCopy& operator=(const StagedCopy&) = delete;

    /// The hidden folder to copy into.
    const std::filesystem::path& folder() const { return m_folder; }

    /// Throws SessionCopier::CopyError::destinationExists when the target folder already holds
    /// <new id>.jsonl or <new id>, as the copier would.
    void refuseCollision() const;

    /// The staged files as they will stand in the target folder, with their sizes and dates.
    std::vector<PlacedFile> placedFiles(const SessionCopier::CopyResult& copy) const;

    /// Moves the transcript and its side folder into the target folder, created when missing.
    /// When a move fails, what was already placed is taken out again before the error is thrown.
    void place(const SessionCopier::CopyResult& copy);

    /// Removes the hidden folder now (before the pending note goes). Errors are ignored.
    void discard();

private:
    std::filesystem::path m_target;
    std::string m_id;
    std::filesystem::path m_folder;
};

} // namespace threadhop
