#include "ProjectListModel.h"

#include "ProjectRowPresenter.h"
#include "ui/widgets/OneLineText.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/QtText.h"

namespace threadhop {

ProjectListModel::ProjectListModel(QObject* parent) : QAbstractListModel(parent) { }

void ProjectListModel::setProjects(std::vector<ProjectFolder> projects)
{
    beginResetModel();
    m_projects = std::move(projects);
    endResetModel();
}

int ProjectListModel::rowOf(const std::string& id) const
{
    for (std::size_t row = 0; row < m_projects.size(); ++row) {
        if (m_projects[row].id == id)
            return static_cast<int>(row);
    }
    return -1;
}

const ProjectFolder& ProjectListModel::project(const QModelIndex& index) const
{
    Q_ASSERT(checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid));
    return m_projects[static_cast<std::size_t>(index.row())];
}

int ProjectListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_projects.size());
}

QVariant ProjectListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ProjectFolder& project = this->project(index);
    switch (role) {
    case Qt::DisplayRole:
        return OneLineText::of(ProjectRowPresenter::displayPath(project));
    case Qt::ToolTipRole:
        return PlainText::toolTip(toQString(ProjectRowPresenter::displayPath(project)));
    case IdRole:
        return QByteArray::fromStdString(project.id);
    case AgeRole:
        return ProjectRowPresenter::age(project.lastModified, std::chrono::system_clock::now());
    default:
        return {};
    }
}

} // namespace threadhop
