#pragma once

#include "ui/state/AppEnvironment.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QTimer;
class QToolButton;

namespace threadhop {

class EmptyStateView;
class ListSelectionBinding;
class ProjectListModel;

/// The middle column: the selected account's projects narrowed by the search text and the
/// "Problems only" switch, or the reason why nothing is left. The filter and the selection live
/// in the shared state, so they outlast this view and reach the other columns.
class ProjectsListView final : public QWidget {
    Q_OBJECT

public:
    explicit ProjectsListView(AppEnvironment& env, QWidget* parent = nullptr);

    ProjectListModel& model() { return *m_model; }

    /// Gives the keyboard focus to the list, on the row of project `projectId` when it is listed,
    /// without choosing it.
    void focusRow(const std::string& projectId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onChanged(AppEnvironment::Changes what);
    void refilter();
    void showSelection();

    AppEnvironment& m_env;
    QLineEdit* m_search;
    QToolButton* m_clearSearch;
    QToolButton* m_problemsOnly;
    QLabel* m_toFix;
    QListView* m_list;
    ProjectListModel* m_model;
    EmptyStateView* m_emptyState;
    QTimer* m_ageRefresh;
    ListSelectionBinding* m_selection;
};

} // namespace threadhop
