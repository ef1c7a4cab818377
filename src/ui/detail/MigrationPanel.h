#pragma once

#include "DetailState.h"
#include "ui/widgets/RoundedBox.h"

namespace threadhop {

/// For a project that needs attention: why, the suggested new places to pick from, "Choose folder
/// manually…" with the folder chosen so far, and "Migrate conversations…".
class MigrationPanel final : public RoundedBox {
    Q_OBJECT

public:
    MigrationPanel(const ProjectFolder& project, const DetailState& state, QWidget* parent = nullptr);

signals:
    void suggestionClicked(const QString& path);
    void chooseManuallyClicked();
    void migrateClicked();
};

} // namespace threadhop
