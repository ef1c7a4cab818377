#pragma once

#include "ui/state/AppEnvironment.h"

#include <QWidget>

class QListView;

namespace threadhop {

class AccountListModel;
class EmptyStateView;
class ListSelectionBinding;

/// The first column: the accounts of the last scan, one row each. Choosing a row selects the
/// account whose projects the middle column lists.
class AccountsSidebar final : public QWidget {
    Q_OBJECT

public:
    explicit AccountsSidebar(AppEnvironment& env, QWidget* parent = nullptr);

    AccountListModel& model() { return *m_model; }

private:
    void onChanged(AppEnvironment::Changes what);
    void showSelection();

    AppEnvironment& m_env;
    QListView* m_list;
    AccountListModel* m_model;
    EmptyStateView* m_emptyState;
    ListSelectionBinding* m_selection;
};

} // namespace threadhop
