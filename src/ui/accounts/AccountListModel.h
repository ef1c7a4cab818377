#pragma once

#include "AccountRowPresenter.h"

#include <QAbstractListModel>

#include <vector>

namespace threadhop {

/// The accounts sidebar's rows, as the presenter words them.
class AccountListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1, ///< the id as its bytes (a QByteArray)
        IdentityRole,
        IdentityIsWarningRole,
        FolderRole,
        DotColorRole,
        ProblemsBadgeRole, ///< invalid when the account has no problem projects
        ProjectCountRole,
    };

    explicit AccountListModel(QObject* parent = nullptr);

    /// Replaces the rows; does nothing when they are the same.
    void setRows(std::vector<AccountRowPresenter::Row> rows);
    const std::vector<AccountRowPresenter::Row>& rows() const { return m_rows; }
    /// The row of the account with `id`, or -1.
    int rowOf(const QString& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<AccountRowPresenter::Row> m_rows;
};

} // namespace threadhop
