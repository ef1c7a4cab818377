#include "MigrationSheetPresenter.h"

#include "core/models/ResumeCommand.h"
#include "theme/Theme.h"
#include "ui/widgets/QtText.h"

#include "core/util/format/DateText.h"

#include <QPalette>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

QString conversations(std::int64_t count)
{
    return QString::number(count) + (count == 1 ? u" conversation"_s : u" conversations"_s);
}

} // namespace

std::optional<ConversationMigrator::Input>
MigrationSheetPresenter::makeInput(const std::optional<ClaudeAccount>& account, const ProjectFolder& project,
                                   const std::string& oldCwd, const std::string& newCwd)
{
    if (!account)
        return std::nullopt;
    return ConversationMigrator::Input{.accountId = account->id,
                                       .projectsRoot = account->projectsDirURL(),
                                       .oldFolderName = project.folderName,
                                       .oldCwd = oldCwd,
                                       .newCwd = newCwd,
                                       .rewriteHistory = false,
                                       .allowPopulatedDestination = true};
}

std::string MigrationSheetPresenter::stamp(std::chrono::system_clock::time_point now)
{
    return DateText::localStamp(now);
}

QString MigrationSheetPresenter::migrateButtonTitle(bool dryRun, const std::optional<MigrationPreview>& preview)
{
    if (dryRun)
        return u"Run dry run"_s;
    if (preview && preview->destinationPopulated)
        return u"Move in"_s;
    return u"Migrate"_s;
}

bool MigrationSheetPresenter::primaryEnabled(bool hasAccount, const std::optional<MigrationPreview>& preview)
{
    return hasAccount && !(preview && preview->blockedReason);
}

QString MigrationSheetPresenter::accountLabel(const std::optional<ClaudeAccount>& account, const ProjectFolder& project)
{
    return toQString(account ? account->label : project.accountId);
}

QColor MigrationSheetPresenter::fromColor(bool directoryExists, const QPalette& palette)
{
    return directoryExists ? palette.color(QPalette::WindowText) : Theme::broken();
}

QString MigrationSheetPresenter::previewCountsLine(const MigrationPreview& preview, bool sameDirectory)
{
    // Only a rename or a merge can leave every transcript as it is; a resync, or a migration that is
    // refused, shows what the engine counts.
    if (sameDirectory && !preview.blockedReason) {
        if (preview.destinationPopulated)
            return u"No transcript changes: the conversations only move."_s;
        if (preview.oldFolder != preview.newFolder)
            return u"Only the folder is renamed: no transcript changes."_s;
    }
    return u"%1 files · %2 references to rewrite"_s.arg(preview.filesToRewrite).arg(preview.totalOccurrences);
}

QString MigrationSheetPresenter::actionLine(const MigrationPreview& preview)
{
    const QString oldFolder = toQString(preview.oldFolder);
    const QString newFolder = toQString(preview.newFolder);
    if (!preview.destinationPopulated) {
        if (preview.oldFolder == preview.newFolder)
            return u"No folder moves. Only the recorded working directory is rewritten."_s;
        return u"The folder "_s + oldFolder + u" is renamed to "_s + newFolder + u"."_s;
    }
    return conversations(preview.incomingConversations) + u" move out of "_s + oldFolder + u" into "_s + newFolder
        + u", which stays where it is. "_s + oldFolder + u" is removed once it is empty."_s;
}

QString MigrationSheetPresenter::populatedHeadline(const MigrationPreview& preview)
{
    return u"That project already has "_s + conversations(preview.destinationConversations.value_or(0)) + u"; "_s
        + conversations(preview.incomingConversations) + u" will join them."_s;
}

MigrationSheetPresenter::ReportTitle MigrationSheetPresenter::reportTitle(const MigrationRecord& record)
{
    if (record.dryRun)
        return {Symbol::checkmarkCircle, u"Dry run complete"_s};
    return {Symbol::checkmarkSealFill, u"Migration successful"_s};
}

QString MigrationSheetPresenter::reportCountsLine(const MigrationRecord& record)
{
    // A dry run renamed and moved nothing, and a resync only rewrote: their counts stand.
    if (!record.dryRun && record.oldCwd == record.newCwd) {
        if (record.movedEntryNames)
            return u"No transcript changed: the conversations only moved."_s;
        if (record.oldFolder != record.newFolder)
            return u"Only the folder was renamed: no transcript changed."_s;
    }
    return u"%1 files · %2 references."_s.arg(record.filesRewritten).arg(record.occurrencesReplaced);
}

std::optional<QString> MigrationSheetPresenter::backupLine(const MigrationRecord& record)
{
    if (!record.backupPath)
        return std::nullopt;
    return u"Backup: "_s + toQString(*record.backupPath);
}

QString MigrationSheetPresenter::resumeCommand(const std::optional<ClaudeAccount>& account, const std::string& newCwd)
{
    return toQString(ResumeCommand::resumeCommand(newCwd, account ? &*account : nullptr));
}

} // namespace threadhop
