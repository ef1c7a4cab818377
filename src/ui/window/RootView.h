#pragma once

#include "BuildSettings.h"
#include "ui/state/AppEnvironment.h"

#include <QMainWindow>

class QAction;
class QDialog;
class QSplitter;

namespace threadhop {

/// The main window "Threadhop": accounts, projects and project detail side by side, the
/// "History" and "Rescan" toolbar buttons, a notice while a scan runs and the status bar. Each
/// time it is shown while no accounts have been published, it starts a scan.
class RootView final : public QMainWindow {
    Q_OBJECT

public:
    explicit RootView(AppEnvironment& env, const BuildSettings& build = {}, QWidget* parent = nullptr);

    static constexpr QSize minimumWindowSize{900, 560};

    /// The history window; made on first use and shown window-modal over this window.
    QDialog& historyWindow();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void onChanged(AppEnvironment::Changes what);
    void placeNotice();

    AppEnvironment& m_env;
    QSplitter* m_columns;
    QAction* m_history;
    QAction* m_rescan;
    QWidget* m_notice;
    QDialog* m_historyWindow = nullptr;
};

} // namespace threadhop
