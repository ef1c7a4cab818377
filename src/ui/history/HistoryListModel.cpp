#include "HistoryListModel.h"

#include "ui/widgets/QtText.h"

namespace threadhop {

void HistoryListModel::setRecords(std::vector<MigrationRecord> records, const std::vector<ClaudeAccount>& accounts)
{
    beginResetModel();
    m_records = std::move(records);
    m_entries.clear();
    m_entries.reserve(m_records.size());
    const HistoryPresenter::Timestamps timestamps{QLocale()};
    for (const MigrationRecord& record : m_records) {
        m_entries.push_back({record, timestamps.text(record.timestamp), HistoryPresenter::badges(record),
                             HistoryPresenter::newPathLine(record), HistoryPresenter::countsLine(record),
                             HistoryPresenter::RestoreSlots::Empty{}});
    }
    judge(accounts);
    endResetModel();
}

void HistoryListModel::judgeSlots(const std::vector<ClaudeAccount>& accounts)
{
    // A slot that turns from a button into a reason changes the row's height.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    judge(accounts);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void HistoryListModel::judge(const std::vector<ClaudeAccount>& accounts)
{
    // Indexed once: every row's judgement looks the history up.
    const RestoreManager::History history(m_records);
    for (Entry& entry : m_entries)
        entry.slot =
            HistoryPresenter::restoreSlot(entry.record, HistoryPresenter::obstacle(entry.record, accounts, history));
}

int HistoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || role != Qt::DisplayRole)
        return {};
    return toQString(entry(index.row()).record.oldCwd);
}

} // namespace threadhop
