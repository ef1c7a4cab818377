#include "AccountMoveReportPresenter.h"

#include "core/util/platform/ResumeCommand.h"
#include "ui/widgets/QtText.h"

using namespace Qt::StringLiterals;

namespace threadhop {

AccountMoveReportPresenter::Report AccountMoveReportPresenter::report(const MigrationRecord& record,
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
