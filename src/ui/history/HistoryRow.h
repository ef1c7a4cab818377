#pragma once

#include "HistoryPresenter.h"

#include <QWidget>

#include <functional>

namespace threadhop {

/// One record of the history window: the header with its dot, date, badges, account and restore
/// slot, the old and the new directory cut at their start, and the counts.
class HistoryRow final : public QWidget {
    Q_OBJECT

public:
    /// `restore` runs when the row's "Restore" button is pressed.
    HistoryRow(const MigrationRecord& record, const HistoryPresenter::RestoreSlot& slot, std::function<void()> restore,
               QWidget* parent = nullptr);
};

} // namespace threadhop
