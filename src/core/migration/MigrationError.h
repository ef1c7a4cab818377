#pragma once

#include "core/models/UserError.h"

#include <cstdint>
#include <string>
#include <vector>

namespace threadhop {

/// The errors of folder migration and restore; what() is the complete sentence shown to the user.
class MigrationError final : public UserError {
public:
    enum class Kind {
        oldFolderMissing,
        newFolderCollision,
        backupFailed,
        verificationFailed,
        renameFailed,
        notRestorable,
        nameClash,
        emptyPath,
        refused,          ///< a folder the migration must not touch; the text says why
        rewriteFailed,    ///< a transcript could not be rewritten; the text says why and what was put back
        writtenMeanwhile, ///< another writer added to transcripts while it ran; it was put back
        undoFailed,       ///< a restore failed; the text says at which step and what was put back
    };

    static MigrationError oldFolderMissing(std::string path);
    static MigrationError newFolderCollision(std::string path);
    static MigrationError backupFailed(std::string text);
    /// `folder` could not be archived; `reason` (possibly empty) says why. Nothing had changed.
    static MigrationError backupFailed(const std::string& folder, const std::string& reason);
    /// `count` old references remained; `rollback` says how the files were put back.
    static MigrationError verificationFailed(std::int64_t count, std::string rollback);
    static MigrationError renameFailed(std::string text);
    /// A move of a folder's entries failed for `reason`; `stuck` (names()) could not be moved back.
    static MigrationError renameFailed(const std::string& reason, std::vector<std::string> stuck);
    static MigrationError notRestorable(std::string text);
    static MigrationError nameClash(std::vector<std::string> names);
    static MigrationError emptyPath();
    static MigrationError refused(std::string reason);
    static MigrationError rewriteFailed(std::string text);
    static MigrationError undoFailed(std::string text);
    /// `files` were added to while the migration ran; `rollback` says how it was put back.
    static MigrationError writtenMeanwhile(std::string files, const std::string& rollback);

    Kind kind() const { return m_kind; }

    bool operator==(const MigrationError& other) const { return m_kind == other.m_kind && samePayload(other); }

private:
    MigrationError(Kind kind, std::string text, std::int64_t count, std::vector<std::string> names);

    Kind m_kind;
};

} // namespace threadhop
