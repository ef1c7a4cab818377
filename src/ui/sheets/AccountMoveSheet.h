#pragma once

#include "AccountMoveEngine.h"
#include "AccountMoveSheetPresenter.h"
#include "Sheet.h"
#include "SheetPhase.h"
#include "ui/jobs/LatestJob.h"

#include "core/models/ClaudeAccount.h"
#include "core/models/ProjectFolder.h"
#include "core/models/SessionInfo.h"

#include <optional>
#include <string>

class QComboBox;

namespace threadhop {

class AppEnvironment;

/// The sheet "Move to another account" for one conversation: from the moment it is first shown it
/// picks a destination among the other accounts of the shared state and previews the copy, and
/// again whenever another destination is chosen; on "Fork" it copies the conversation there as a
/// fork of the whole transcript and shows the record or the error. The engine always runs on the
/// thread pool, and the sheet writes no file itself. Choosing a destination drops what was shown for
/// the one before, and "Fork" waits for the new destination's own preview. Of overlapping previews,
/// only the outcome for the destination still chosen is shown, and never one older than what is shown.
class AccountMoveSheet final : public Sheet {
    Q_OBJECT

public:
    AccountMoveSheet(AppEnvironment& env, ClaudeAccount source, ProjectFolder project, SessionInfo session,
                     std::string launchCwd, AccountMoveEngine engine, QWidget* parent);

    static constexpr QSize sheetSize{640, 560};

    const std::string& targetId() const { return m_targetId; }
    const SheetPhase& phase() const { return m_phase; }
    const std::optional<AccountMovePreview>& preview() const { return m_preview; }
    const std::optional<QString>& previewError() const { return m_previewError; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::vector<ClaudeAccount> candidates() const;
    std::optional<ClaudeAccount> target() const;

    void chooseTarget(int pickerIndex);
    void computePreview();
    void run();
    void setPhase(SheetPhase phase);
    void showPicker();
    void showContent();
    void showMoveButton();

    AppEnvironment& m_env;
    ClaudeAccount m_source;
    ProjectFolder m_project;
    SessionInfo m_session;
    std::string m_launchCwd;
    AccountMoveEngine m_engine;
    const AccountMoveSheetPresenter::Choice m_choice;
    std::string m_targetId;
    std::optional<AccountMovePreview> m_preview;
    std::optional<QString> m_previewError;
    SheetPhase m_phase = SheetPhases::Idle{};
    bool m_appeared = false;
    LatestJob m_previews;
    QComboBox* m_picker;
    QWidget* m_content;
};

} // namespace threadhop
