#pragma once

#include "ui/state/AppEnvironment.h"

#include "core/models/MigrationRecord.h"

#include <QDialog>

#include <vector>

class QScrollArea;

namespace threadhop {

class EmptyStateView;
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

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// Reads the history file; one that is missing or cannot be decoded shows as no records, and
    /// a line says where a history that could not be read was kept.
    void load();
    void render();
    void confirm(const MigrationRecord& record);
    void performRestore(const MigrationRecord& record);
    void showFailure(const QString& text);

    AppEnvironment& m_env;
    std::vector<MigrationRecord> m_records;
    bool m_loaded = false;
    WrappingText* m_setAside;
    EmptyStateView* m_empty;
    QScrollArea* m_list;
};

} // namespace threadhop
