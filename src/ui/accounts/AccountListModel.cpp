#include "AccountListModel.h"

#include "ui/widgets/PlainText.h"

namespace threadhop {

AccountListModel::AccountListModel(QObject* parent) : QAbstractListModel(parent) { }

void AccountListModel::setRows(std::vector<AccountRowPresenter::Row> rows)
{
    if (rows == m_rows)
        return;
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int AccountListModel::rowOf(const QString& id) const
{
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].id == id)
            return static_cast<int>(row);
    }
    return -1;
}

int AccountListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant AccountListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.label;
    case Qt::ToolTipRole:
        return PlainText::toolTip(row.folder);
    case FolderRole:
        return row.folder;
    case IdRole:
        return row.id.toUtf8();
    case IdentityRole:
        return row.identity;
    case IdentityIsWarningRole:
        return row.identityIsWarning;
    case DotColorRole:
        return row.dotColor;
    case ProblemsBadgeRole:
        return row.problemsBadge ? QVariant(*row.problemsBadge) : QVariant();
    case ProjectCountRole:
        return row.projectCount;
    default:
        return {};
    }
}

} // namespace threadhop
