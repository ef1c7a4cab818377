#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace threadhop {

/// The refusals of an account move; what() is the text shown to the user.
class AccountMoveError final : public std::runtime_error {
public:
    enum class Kind { collision, brokenTranscript, verificationFailed, sameAccount, noCwdRecorded, trimNeedsFork, refused };

    static AccountMoveError collision(std::string targetFolderPath);
    static AccountMoveError brokenTranscript(std::int64_t unansweredCalls);
    static AccountMoveError verificationFailed(std::string detail);
    static AccountMoveError sameAccount();
    static AccountMoveError noCwdRecorded();
    static AccountMoveError trimNeedsFork();
    /// A move that would record what the history file cannot hold; `reason` is the whole text.
    static AccountMoveError refused(std::string reason);

    Kind kind() const { return m_kind; }
    /// The target folder's path of a collision, the detail of a failed verification; else empty.
    const std::string& text() const { return m_text; }
    /// The number of unanswered tool calls of a broken transcript; else 0.
    std::int64_t count() const { return m_count; }

private:
    AccountMoveError(Kind kind, const std::string& description, std::string text = {}, std::int64_t count = 0);

    Kind m_kind;
    std::string m_text;
    std::int64_t m_count;
};

} // namespace threadhop
