#pragma once

#include "core/accountmove/AccountMovePreview.h"
#include "core/models/AccountMoveInput.h"
#include "core/models/ClaudeAccount.h"
#include "core/models/MigrationRecord.h"
#include "core/models/ProjectFolder.h"
#include "core/models/SessionInfo.h"

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QPalette;

// What the account-move sheet allows and asks of the engine, the texts of its accounts grid, and what
// it reports after a move.
namespace threadhop::AccountMoveSheetPresenter {

/// The kind of copy the sheet asks for. It offers no control for any of it, so it stays a fork of
/// the whole transcript.
struct Choice {
    MoveMode mode = MoveMode::fork;
    bool trim = false;
    std::int64_t trimMessages = 200;

    bool operator==(const Choice&) const = default;
};

/// The accounts, in their order, whose folder is not the source's. Folders are compared by their
/// standardized paths as plain text, as the engine compares them when it refuses the same account.
std::vector<ClaudeAccount> candidates(const std::vector<ClaudeAccount>& accounts, const ClaudeAccount& source);

/// The first candidate whose id is `targetId`.
std::optional<ClaudeAccount> target(const std::vector<ClaudeAccount>& candidates, const std::string& targetId);

/// The engine's request: into the project folder of the same working directory, never rewriting
/// recorded history. Absent without a target.
std::optional<AccountMoveInput> makeInput(const ClaudeAccount& source, const std::optional<ClaudeAccount>& target,
                                          const ProjectFolder& project, const SessionInfo& session,
                                          const std::string& launchCwd, const Choice& choice);

/// A target, a preview and no preview error; no collision; and no tool call left unanswered before
/// the end unless the copy is trimmed.
bool canMove(const std::optional<ClaudeAccount>& target, const std::optional<AccountMovePreview>& preview,
             const std::optional<QString>& previewError, bool trim);

/// "Fork" or "Clone".
QString moveButtonTitle(MoveMode mode);

/// "<short id>… · <count> messages"; the plural stays for one message.
QString sessionText(const SessionInfo& session);

/// A destination in the picker: "<id> — <email>", or "<id> — not signed in".
QString pickerText(const ClaudeAccount& account);

/// An account in the grid: its id, then who is signed in, in orange when nobody is.
struct AccountLabel {
    QString id;
    QString signedIn; ///< "— <email>" or "— not signed in"
    QColor signedInColor;

    bool operator==(const AccountLabel&) const = default;
};
AccountLabel accountLabel(const ClaudeAccount& account, const QPalette& palette);

/// What the sheet reports after a move.
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

} // namespace threadhop::AccountMoveSheetPresenter
