#pragma once

#include "EmptyState.h"

#include <QWidget>

namespace threadhop {

class EmptyStateView;

/// The detail column. For now it shows only its placeholder; the project's details come later.
class ProjectDetailView final : public QWidget {
    Q_OBJECT

public:
    explicit ProjectDetailView(QWidget* parent = nullptr);

    /// The placeholder shown while no project is selected.
    static EmptyState placeholder();

private:
    EmptyStateView* m_placeholder;
};

} // namespace threadhop
