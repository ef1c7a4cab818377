#pragma once

#include "HistoryListModel.h"
#include "ui/state/AppEnvironment.h"

#include <QDialog>

class QListView;

namespace threadhop {

class EmptyStateView;
class HistoryRowDelegate;
class WrappingText;

/// The "Migration history" window: the records of the history file in its order (newest first),
/// each with a "Restore" button or the reason why it cannot be undone. A restore is confirmed first,
/// then runs at once on this thread; after it the list is read again and the accounts are rescanned.
/// The window writes no file itself. Made for one showing and deleted when it closes.
class HistoryView final : public QDialog {
    Q_OBJECT

public:
    HistoryView(AppEnvironment& env, QWidget* parent);

    static constexpr QSize fixedSize{640, 480};

    const HistoryListModel& model() const { return m_model; }
    const HistoryRowDelegate& rowDelegate() const { return *m_delegate; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Reads the history file; one that is missing or cannot be read shows as no records. Lines
    /// above the list say why it cannot be read, how many of its elements cannot be shown, and where
    /// a history that could not be read was kept.
    void load();
    void showList();
    void confirm(int row);
    void performRestore(const MigrationRecord& record);
    void showFailure(const QString& text);

    AppEnvironment& m_env;
    HistoryListModel m_model;
    bool m_loaded = false;
    WrappingText* m_notice;
    EmptyStateView* m_empty;
    QListView* m_list;
    HistoryRowDelegate* m_delegate;
};

} // namespace threadhop
