#pragma once

#include "core/models/ClaudeAccount.h"
#include "core/models/MigrationRecord.h"
#include "core/models/SessionInfo.h"

#include <QString>

#include <optional>

// What the account-move sheet reports after a move.
namespace threadhop::AccountMoveReportPresenter {

struct Report {
    QString message;                     ///< the engine's sentence, or nothing
    std::optional<QString> newSessionId; ///< "New session id: <id>", for a copy with an id of its own
    QString resumeCommand;               ///< resumes the copy in the target account
    std::optional<QString> backup;       ///< "Backup: <path>"

    bool operator==(const Report&) const = default;
};

/// `target` is the destination account as it stands now (null: none, so plain claude starts it).
/// The command resumes the copy's own id, which is the session's id for a clone.
Report report(const MigrationRecord& record, const ClaudeAccount* target, const SessionInfo& session);

} // namespace threadhop::AccountMoveReportPresenter
