#include "AccountMoveError.h"

namespace threadhop {

AccountMoveError::AccountMoveError(Kind kind, const std::string& description, std::string text, std::int64_t count)
    : UserError(description, std::move(text), count), m_kind(kind)
{
}

AccountMoveError AccountMoveError::collision(std::string targetFolderPath)
{
    const std::string description = "The destination account already holds this conversation: " + targetFolderPath;
    return {Kind::collision, description, std::move(targetFolderPath)};
}

AccountMoveError AccountMoveError::brokenTranscript(std::int64_t unansweredCalls)
{
    return {Kind::brokenTranscript,
            "The transcript has " + std::to_string(unansweredCalls)
                + " tool calls that were never answered, with content after them. Trim to the last complete exchange "
                  "first.",
            {},
            unansweredCalls};
}

AccountMoveError AccountMoveError::verificationFailed(std::string detail)
{
    const std::string description = "Verification failed after the move: " + detail;
    return {Kind::verificationFailed, description, std::move(detail)};
}

AccountMoveError AccountMoveError::sameAccount()
{
    return {Kind::sameAccount,
            "Source and destination are the same account. Use Migrate to change the working directory instead."};
}

AccountMoveError AccountMoveError::noCwdRecorded()
{
    return {Kind::noCwdRecorded,
            "This transcript records no working directory, so the destination folder cannot be "
            "computed. The conversation cannot be moved."};
}

AccountMoveError AccountMoveError::trimNeedsFork()
{
    return {Kind::trimNeedsFork,
            "A trimmed copy must be a fork — a shortened transcript keeping the original's id would "
            "make two different files claim to be the same conversation."};
}

AccountMoveError AccountMoveError::refused(std::string reason)
{
    return {Kind::refused, reason};
}

AccountMoveError AccountMoveError::stepFailed(std::string text)
{
    return {Kind::stepFailed, text};
}

} // namespace threadhop
