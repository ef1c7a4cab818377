#pragma once

#include "core/models/ProjectFolder.h"

#include <QAbstractListModel>

#include <vector>

namespace threadhop {

/// The projects the list shows (already filtered), one row each. Texts are made when a row is
/// drawn, so replacing even a long list costs no more than moving it in.
class ProjectListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1, ///< the id as its bytes (a QByteArray)
        AgeRole,                   ///< relative to the moment of the call
    };

    explicit ProjectListModel(QObject* parent = nullptr);

    void setProjects(std::vector<ProjectFolder> projects);
    const std::vector<ProjectFolder>& projects() const { return m_projects; }
    /// The project of a valid row index of this model.
    const ProjectFolder& project(const QModelIndex& index) const;
    /// The row of the project with `id`, or -1.
    int rowOf(const std::string& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<ProjectFolder> m_projects;
};

} // namespace threadhop
