#pragma once

#include "core/models/UserError.h"

#include <cstdint>
#include <string>

namespace threadhop {

/// The refusals of an account move; what() is the text shown to the user.
class AccountMoveError final : public UserError {
public:
    enum class Kind {
        collision,
        brokenTranscript,
        verificationFailed,
        sameAccount,
        noCwdRecorded,
        trimNeedsFork,
        refused,
        stepFailed,
    };

    static AccountMoveError collision(std::string targetFolderPath);
    static AccountMoveError brokenTranscript(std::int64_t unansweredCalls);
    static AccountMoveError verificationFailed(std::string detail);
    static AccountMoveError sameAccount();
    static AccountMoveError noCwdRecorded();
    static AccountMoveError trimNeedsFork();
    /// A move that would record what the history file cannot hold; `reason` is the whole text.
    static AccountMoveError refused(std::string reason);
    /// A step of the move failed on the disk; `text` says which, why, and what was left.
    static AccountMoveError stepFailed(std::string text);

    /// text() is the target folder's path of a collision, the detail of a failed verification or
    /// the reason of a refusal; count() the unanswered tool calls of a broken transcript.
    Kind kind() const { return m_kind; }

private:
    AccountMoveError(Kind kind, const std::string& description, std::string text = {}, std::int64_t count = 0);

    Kind m_kind;
};

} // namespace threadhop
