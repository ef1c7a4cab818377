#pragma once

#include "DetailState.h"
#include "FolderChooser.h"
#include "ui/sheets/MigrationEngine.h"
#include "ui/state/AppEnvironment.h"
#include "ui/widgets/EmptyState.h"

#include <QPointer>
#include <QWidget>

class QScrollArea;

namespace threadhop {

class EmptyStateView;
class MigrationSheet;

/// The detail column: everything about the selected project (its path and resume status, the
/// file-manager and "Move to…" buttons, its facts and the one panel its status calls for), or a
/// placeholder while none is selected. Once the user has chosen a destination it presents the
/// migration sheet. It reads the shared state and writes nothing to disk itself.
class ProjectDetailView final : public QWidget {
    Q_OBJECT

public:
    explicit ProjectDetailView(AppEnvironment& env, QWidget* parent = nullptr);

    /// The placeholder shown while no project is selected.
    static EmptyState placeholder();

    /// Replaces the folder dialog (tests answer it themselves).
    void setFolderChooser(FolderChooser::Ask ask) { m_askFolder = std::move(ask); }
    /// Replaces the engine calls of the migration sheets made from now on.
    void setMigrationEngine(MigrationEngine engine) { m_engine = std::move(engine); }

    /// The migration sheet shown for the current request, if any.
    MigrationSheet* migrationSheet() const;

signals:
    /// The control that had the keyboard focus is gone (a run repaired the project, or its panel
    /// changed): the focus belongs on the row of project `projectId` in the projects list.
    void focusLeft(const std::string& projectId);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onChanged(AppEnvironment::Changes what);
    void reload(const ProjectFolder& project);
    void render();
    void chooseDestination();
    void chooseManually();
    void chooseSuggestion(const QString& path);
    void requestMove();
    void present(const std::optional<MoveRequest>& request);
    void noteRepairedProject();
    std::string rowForFocus() const;
    std::optional<std::string> chooseFolder(const ProjectFolder& project, const QString& prompt,
                                            const QString& message);

    AppEnvironment& m_env;
    DetailState m_state;
    std::optional<std::string> m_shownProjectId;
    /// The project the content shows, and where the last migration put its conversations (account
    /// and folder): the rows the focus goes to when its control is gone.
    std::string m_pageProjectId;
    std::optional<std::pair<std::string, std::string>> m_repairedFolder;
    QPointer<MigrationSheet> m_sheet;
    FolderChooser::Ask m_askFolder = FolderChooser::askWithDialog;
    MigrationEngine m_engine = MigrationEngine::standard();
    EmptyStateView* m_placeholder;
    QScrollArea* m_scroll;
};

} // namespace threadhop
