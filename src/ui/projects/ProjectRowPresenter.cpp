#include "ProjectRowPresenter.h"

#include "theme/Theme.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/RelativeTime.h"

#include <QLocale>

#include <algorithm>

namespace threadhop {

std::string ProjectRowPresenter::displayPath(const ProjectFolder& project)
{
    if (project.actualCwd && !project.actualCwd->empty())
        return *project.actualCwd;
    std::string path = project.folderName;
    if (path.starts_with('-'))
        std::replace(path.begin(), path.end(), '-', '/');
    return path;
}

QColor ProjectRowPresenter::statusColor(ResumeStatus status)
{
    switch (status) {
    case ResumeStatus::ok:
        return Theme::ok();
    case ResumeStatus::cwdMismatch:
        return Theme::warn();
    case ResumeStatus::targetMissing:
        return Theme::broken();
    case ResumeStatus::ephemeralLocation:
    case ResumeStatus::noCwdRecorded:
        return Theme::unknown();
    }
    return Theme::unknown();
}

std::vector<ProjectRowPresenter::DetailItem> ProjectRowPresenter::detailItems(const ProjectFolder& project)
{
    std::vector<DetailItem> items{{Symbol::bubbleLeft, QString::number(project.sessionCount)}};
    if (project.subagentCount >= 1)
        items.push_back({Symbol::person2, QString::number(project.subagentCount)});
    items.push_back({Symbol::externaldrive, size(project.totalSizeBytes)});
    return items;
}

QString ProjectRowPresenter::size(std::int64_t bytes)
{
    // Decimal units, as file sizes are usually shown to users ("1.2 MB", not "1.1 MiB").
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString ProjectRowPresenter::age(std::chrono::system_clock::time_point lastModified,
                                 std::chrono::system_clock::time_point now)
{
    return RelativeTime::abbreviated(lastModified, now);
}

} // namespace threadhop
