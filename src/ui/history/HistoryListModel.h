#pragma once

#include "HistoryPresenter.h"

#include <QAbstractListModel>

#include <vector>

namespace threadhop {

/// The records of the history window, newest first, each with what its row shows and its restore
/// slot. The slots depend on the scanned accounts and on the disk, so they are judged again after
/// each scan; the rows stay where they are.
class HistoryListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    /// One record as its row shows it.
    struct Entry {
        MigrationRecord record;
        QString timestamp;
        std::vector<HistoryPresenter::Badge> badges;
        QString newPathLine;
        QString countsLine;
        HistoryPresenter::RestoreSlot slot;
    };

    using QAbstractListModel::QAbstractListModel;

    /// Shows `records` (the whole history, which the engine's checks read too).
    void setRecords(std::vector<MigrationRecord> records, const std::vector<ClaudeAccount>& accounts);
    /// Judges every record's slot again against the accounts of a new scan.
    void judgeSlots(const std::vector<ClaudeAccount>& accounts);

    const std::vector<MigrationRecord>& records() const { return m_records; }
    const Entry& entry(int row) const { return m_entries.at(static_cast<std::size_t>(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    /// The old directory as the display text; the rows draw everything else from `entry`.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void judge(const std::vector<ClaudeAccount>& accounts);

    std::vector<MigrationRecord> m_records;
    std::vector<Entry> m_entries;
};

} // namespace threadhop
