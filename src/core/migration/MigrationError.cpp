#include "MigrationError.h"

#include "core/models/UserError.h"

namespace threadhop {
namespace {

std::string description(MigrationError::Kind kind, const std::string& text, std::int64_t count,
                        const std::vector<std::string>& names)
{
    switch (kind) {
    case MigrationError::Kind::oldFolderMissing:
        return "Conversation folder does not exist: " + text;
    case MigrationError::Kind::newFolderCollision:
        return "Destination folder already exists: " + text;
    case MigrationError::Kind::backupFailed:
        return "Backup failed: " + text;
    case MigrationError::Kind::verificationFailed:
        return "Verification failed: " + std::to_string(count) + " old references remain. " + text;
    case MigrationError::Kind::renameFailed:
        return "Rename failed: " + text;
    case MigrationError::Kind::rewriteFailed:
        return "Rewrite failed: " + text;
    case MigrationError::Kind::undoFailed:
        return "Undo failed: " + text;
    case MigrationError::Kind::notRestorable:
    case MigrationError::Kind::refused:
    case MigrationError::Kind::writtenMeanwhile:
        return text;
    case MigrationError::Kind::nameClash:
        return "The destination already holds a file with the same name: " + UserError::listed(names)
            + ". Nothing was moved.";
    case MigrationError::Kind::emptyPath:
        return "The old or new path is empty.";
    }
    return {};
}

} // namespace

MigrationError::MigrationError(Kind kind, std::string text, std::int64_t count, std::vector<std::string> names)
    : UserError(description(kind, text, count, names), text, count, names), m_kind(kind)
{
}

MigrationError MigrationError::oldFolderMissing(std::string path)
{
    return {Kind::oldFolderMissing, std::move(path), 0, {}};
}
MigrationError MigrationError::newFolderCollision(std::string path)
{
    return {Kind::newFolderCollision, std::move(path), 0, {}};
}
MigrationError MigrationError::backupFailed(std::string text)
{
    return {Kind::backupFailed, std::move(text), 0, {}};
}
MigrationError MigrationError::backupFailed(const std::string& folder, const std::string& reason)
{
    std::string text = "Threadhop could not archive " + folder + ", so nothing was changed.";
    if (!reason.empty()) {
        // A tool's line begins in lower case as often as not; here it opens a sentence.
        std::string said = UserError::asSentence(reason);
        if (said[0] >= 'a' && said[0] <= 'z')
            said[0] = static_cast<char>(said[0] - 'a' + 'A');
        text += " " + said;
    }
    return backupFailed(std::move(text));
}
MigrationError MigrationError::verificationFailed(std::int64_t count, std::string rollback)
{
    return {Kind::verificationFailed, std::move(rollback), count, {}};
}
MigrationError MigrationError::renameFailed(std::string text)
{
    return {Kind::renameFailed, std::move(text), 0, {}};
}
MigrationError MigrationError::renameFailed(const std::string& reason, std::vector<std::string> stuck)
{
    std::string text = stuck.empty() ? reason + " — nothing was moved; every file is back where it started."
                                     : reason + " — and " + std::to_string(stuck.size())
            + " file(s) could not be put "
              "back: "
            + UserError::listed(stuck)
            + ". Both folders were archived before "
              "this started.";
    return {Kind::renameFailed, std::move(text), 0, std::move(stuck)};
}
MigrationError MigrationError::notRestorable(std::string text)
{
    return {Kind::notRestorable, std::move(text), 0, {}};
}
MigrationError MigrationError::nameClash(std::vector<std::string> names)
{
    return {Kind::nameClash, {}, 0, std::move(names)};
}
MigrationError MigrationError::emptyPath()
{
    return {Kind::emptyPath, {}, 0, {}};
}
MigrationError MigrationError::refused(std::string reason)
{
    return {Kind::refused, std::move(reason), 0, {}};
}
MigrationError MigrationError::rewriteFailed(std::string text)
{
    return {Kind::rewriteFailed, std::move(text), 0, {}};
}
MigrationError MigrationError::undoFailed(std::string text)
{
    return {Kind::undoFailed, std::move(text), 0, {}};
}
MigrationError MigrationError::writtenMeanwhile(std::string files, const std::string& rollback)
{
    return {Kind::writtenMeanwhile,
            "Claude Code wrote to " + files + " while the migration ran; what it wrote is kept. " + rollback,
            0,
            {}};
}

} // namespace threadhop
