#include "AccountMoveSheetPresenter.h"

#include "theme/Theme.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/ShortSessionId.h"

#include "core/models/ResumeCommand.h"
#include "core/util/text/PathText.h"

#include <QPalette>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

std::string standardizedFolder(const ClaudeAccount& account)
{
    return PathText::standardized(account.configDirURL().native());
}

QString whoIsSignedIn(const ClaudeAccount& account)
{
    return account.identity ? toQString(account.identity->emailAddress) : u"not signed in"_s;
}

} // namespace

std::vector<ClaudeAccount> AccountMoveSheetPresenter::candidates(const std::vector<ClaudeAccount>& accounts,
                                                                 const ClaudeAccount& source)
{
    const std::string sourceFolder = standardizedFolder(source);
    std::vector<ClaudeAccount> result;
    std::copy_if(accounts.begin(), accounts.end(), std::back_inserter(result),
                 [&](const ClaudeAccount& account) { return standardizedFolder(account) != sourceFolder; });
    return result;
}

std::optional<ClaudeAccount> AccountMoveSheetPresenter::target(const std::vector<ClaudeAccount>& candidates,
                                                               const std::string& targetId)
{
    const ClaudeAccount* found = accountWithId(candidates, targetId);
    if (!found)
        return std::nullopt;
    return *found;
}

std::optional<AccountMoveInput> AccountMoveSheetPresenter::makeInput(const ClaudeAccount& source,
                                                                     const std::optional<ClaudeAccount>& target,
                                                                     const ProjectFolder& project,
                                                                     const SessionInfo& session,
                                                                     const std::string& launchCwd, const Choice& choice)
{
    if (!target)
        return std::nullopt;
    return AccountMoveInput{.source = source,
                            .target = *target,
                            .sessionId = session.id,
                            .sourceFolderName = project.folderName,
                            .launchCwd = launchCwd,
                            .newCwd = std::nullopt,
                            .mode = choice.mode,
                            .scope =
                                choice.trim ? TranscriptScope::trimmed(choice.trimMessages) : TranscriptScope::full(),
                            .rewriteHistory = false};
}

bool AccountMoveSheetPresenter::canMove(const std::optional<ClaudeAccount>& target,
                                        const std::optional<AccountMovePreview>& preview,
                                        const std::optional<QString>& previewError, bool trim)
{
    if (!target || !preview || previewError || preview->collision)
        return false;
    return preview->integrity.unansweredInMiddle.empty() || trim;
}

QString AccountMoveSheetPresenter::moveButtonTitle(MoveMode mode)
{
    return mode == MoveMode::fork ? u"Fork"_s : u"Clone"_s;
}

QString AccountMoveSheetPresenter::sessionText(const SessionInfo& session)
{
    return ShortSessionId::of(session.id) + u"… · %1 messages"_s.arg(session.userMessageCount);
}

QString AccountMoveSheetPresenter::pickerText(const ClaudeAccount& account)
{
    return toQString(account.id) + u" — "_s + whoIsSignedIn(account);
}

AccountMoveSheetPresenter::AccountLabel AccountMoveSheetPresenter::accountLabel(const ClaudeAccount& account,
                                                                                const QPalette& palette)
{
    return {.id = toQString(account.id),
            .signedIn = u"— "_s + whoIsSignedIn(account),
            .signedInColor = account.identity ? Theme::secondaryText(palette) : Theme::warn()};
}

AccountMoveSheetPresenter::Report AccountMoveSheetPresenter::report(const MigrationRecord& record,
                                                                    const ClaudeAccount* target,
                                                                    const SessionInfo& session)
{
    const std::string& resumedId = record.newSessionId ? *record.newSessionId : session.id;
    Report report{.message = toQString(record.message.value_or(std::string())),
                  .resumeCommand = toQString(ResumeCommand::resumeCommand(record.newCwd, target) + " " + resumedId)};
    if (record.newSessionId)
        report.newSessionId = u"New session id: "_s + toQString(*record.newSessionId);
    if (record.backupPath)
        report.backup = u"Backup: "_s + toQString(*record.backupPath);
    return report;
}

} // namespace threadhop
