#pragma once

#include "BuildSettings.h"
#include "ui/state/AppEnvironment.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QSplitter;

namespace threadhop {

class HistoryView;

/// The main window "Threadhop": accounts, projects and project detail side by side, the
/// "History" and "Rescan" toolbar buttons, a notice while a scan runs and the status bar. Each
/// time it is shown while no accounts have been published, it starts a scan. Its frame and column
/// widths are remembered between runs.
class RootView final : public QMainWindow {
    Q_OBJECT

public:
    explicit RootView(AppEnvironment& env, const BuildSettings& build = {}, QWidget* parent = nullptr);

    static constexpr QSize minimumWindowSize{900, 560};

    /// Opens a new history window, window-modal over this one.
    void openHistory();
    /// The open history window, or null.
    HistoryView* historyWindow() const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    /// Remembers the frame and the column widths for the next run.
    void closeEvent(QCloseEvent* event) override;

private:
    /// The frame and column widths of the last run, or the first ones that fit the screen.
    void restorePlacement();
    void onChanged(AppEnvironment::Changes what);
    void placeNotice();
    /// Once the window manager has framed the window: a frame that does not fit the screen, title
    /// bar included, is placed anew so that it does.
    void keepFrameOnScreen();

    AppEnvironment& m_env;
    QSplitter* m_columns;
    QAction* m_history;
    QAction* m_rescan;
    QWidget* m_notice;
    QPointer<HistoryView> m_historyWindow;
    bool m_frameKeptOnScreen = false;
};

} // namespace threadhop
