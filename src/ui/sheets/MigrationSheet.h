#pragma once

#include "MigrationEngine.h"
#include "Sheet.h"
#include "SheetPhase.h"
#include "ui/jobs/LatestJob.h"

#include "core/models/ClaudeAccount.h"
#include "core/models/ProjectFolder.h"

#include <optional>
#include <string>

class QScrollArea;

namespace threadhop {

/// The sheet "Migrate conversations" for one project: it previews the migration from the moment it is
/// first shown, runs the dry run or the migration when the user asks, and shows the record or the
/// error. The engine always runs on the thread pool. The sheet writes no file itself.
class MigrationSheet final : public Sheet {
    Q_OBJECT

public:
    /// `account` is the project's account of the last scan, or none. `rescan` starts a scan.
    MigrationSheet(std::optional<ClaudeAccount> account, ProjectFolder project, std::string oldCwd, std::string newCwd,
                   MigrationEngine engine, std::function<void()> rescan, QWidget* parent);

    static constexpr QSize minimumSheetSize{600, 480};
    static constexpr QSize idealSheetSize{620, 520};

    const SheetPhase& phase() const { return m_phase; }
    const std::optional<MigrationPreview>& preview() const { return m_preview; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void computePreview();
    void run();
    void setPhase(SheetPhase phase);
    void showContent();
    void showPrimaryButton();

    std::optional<ClaudeAccount> m_account;
    ProjectFolder m_project;
    std::string m_oldCwd;
    std::string m_newCwd;
    MigrationEngine m_engine;
    std::optional<MigrationPreview> m_preview;
    bool m_dryRun = false;
    SheetPhase m_phase = SheetPhases::Idle{};
    bool m_previewRequested = false;
    LatestJob m_previews;
    QScrollArea* m_content;
};

} // namespace threadhop
