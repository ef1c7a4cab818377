#include "DetailPresenter.h"

#include "core/models/ResumeCommand.h"
#include "ui/projects/ProjectRowPresenter.h"
#include "ui/widgets/OneLineText.h"
#include "ui/widgets/QtText.h"

#include <algorithm>
#include <filesystem>

using namespace Qt::StringLiterals;

namespace threadhop {

DetailPresenter::Panel DetailPresenter::panelFor(ResumeStatus status)
{
    if (needsAttention(status))
        return Panel::migration;
    if (status == ResumeStatus::ephemeralLocation)
        return Panel::temporaryLocation;
    return Panel::resumeHint;
}

QString DetailPresenter::statusLabel(ResumeStatus status)
{
    switch (status) {
    case ResumeStatus::ok:
        return u"Resume OK"_s;
    case ResumeStatus::cwdMismatch:
        return u"Folder mismatch"_s;
    case ResumeStatus::targetMissing:
        return u"Location missing"_s;
    case ResumeStatus::ephemeralLocation:
        return u"Temporary location, gone for good"_s;
    case ResumeStatus::noCwdRecorded:
        return u"No working directory recorded"_s;
    }
    return {};
}

bool DetailPresenter::pathExists(const ProjectFolder& project)
{
    if (!project.actualCwd || project.actualCwd->empty())
        return false;
    std::error_code error;
    return std::filesystem::is_directory(*project.actualCwd, error);
}

bool DetailPresenter::canMove(const ProjectFolder& project)
{
    return project.actualCwd.has_value();
}

std::vector<DetailPresenter::InfoRow> DetailPresenter::infoRows(const ProjectFolder& project)
{
    const auto copyable = [](const QString& label, const std::optional<std::string>& value) {
        if (!value)
            return InfoRow{label, u"—"_s, std::nullopt};
        return InfoRow{label, OneLineText::of(*value), InfoRow::Copy{u"Copy "_s + label, toQString(*value)}};
    };
    return {
        {u"Account"_s, OneLineText::of(project.accountId), std::nullopt},
        copyable(u"Folder"_s, project.folderName),
        copyable(u"cwd (transcript)"_s, project.actualCwd),
        {u"Sessions"_s, QString::number(project.sessionCount), std::nullopt},
        {u"Subagents"_s, QString::number(project.subagentCount), std::nullopt},
        {u"Size"_s, ProjectRowPresenter::size(project.totalSizeBytes), std::nullopt},
    };
}

bool DetailPresenter::migrateEnabled(const ProjectFolder& project, const std::string& chosenNewPath)
{
    return canMove(project) && !chosenNewPath.empty();
}

Symbol DetailPresenter::suggestionMarker(const std::string& suggestion, const std::string& chosenNewPath)
{
    return suggestion == chosenNewPath ? Symbol::largecircleFillCircle : Symbol::circle;
}

std::size_t DetailPresenter::suggestionTabStop(const std::vector<std::string>& suggestions,
                                               const std::string& chosenNewPath)
{
    const auto chosen = std::find(suggestions.begin(), suggestions.end(), chosenNewPath);
    return chosen == suggestions.end() ? 0 : static_cast<std::size_t>(chosen - suggestions.begin());
}

QString DetailPresenter::migrationExplanation(ResumeStatus status)
{
    if (status == ResumeStatus::cwdMismatch)
        return u"This folder's name does not match the directory its conversations record. Pick where the project "
               u"lives now so the conversations are relinked and `--resume` works again."_s;
    return u"The recorded location no longer exists. Pick the new one so the conversations are relinked and "
           u"`--resume` works again."_s;
}

std::optional<QString> DetailPresenter::resumeCommand(const ProjectFolder& project,
                                                      const std::vector<ClaudeAccount>& accounts)
{
    if (!project.actualCwd)
        return std::nullopt;
    return toQString(ResumeCommand::resumeCommand(*project.actualCwd, accountWithId(accounts, project.accountId)));
}

} // namespace threadhop
