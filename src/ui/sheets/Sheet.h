#pragma once

#include "SheetFooterPresenter.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <optional>

class QPushButton;
class QVBoxLayout;

namespace threadhop {

/// A window-modal sheet made for one request and deleted when it closes, with the footer the sheets
/// share: "Show backup in …" at the leading edge after a run that left a backup, "Cancel" and the
/// primary button while idle, nothing while running, "Close" after a run. Escape and the window's
/// close button do what the footer does: cancel while idle, close after a run, nothing while running.
/// "Close" starts a rescan, then closes. No button is a default button, and Return presses nothing.
class Sheet : public QDialog {
    Q_OBJECT

public:
    /// Escape and the window's close button: "Cancel" while idle, "Close" after a run, nothing while running.
    void reject() override;

protected:
    /// `rescan` starts a scan of the shared state without waiting for it.
    Sheet(std::function<void()> rescan, QWidget* parent);

    /// The sheet's column above the footer, for the derived sheet's content.
    QVBoxLayout& column() { return *m_column; }
    QPushButton& primaryButton() { return *m_primary; }

    void setStage(SheetStage stage);
    /// The archive "Show backup in …" reveals once the run is over; none hides that button.
    void setBackup(std::optional<std::filesystem::path> backup);

    void keyPressEvent(QKeyEvent* event) override;

private:
    void showFooter();
    void closeAfterRun();

    std::function<void()> m_rescan;
    SheetStage m_stage = SheetStage::idle;
    std::optional<std::filesystem::path> m_backup;
    QVBoxLayout* m_column;
    QPushButton* m_reveal;
    QPushButton* m_cancel;
    QPushButton* m_primary;
    QPushButton* m_close;
};

} // namespace threadhop
