#pragma once

#include "UpdateController.h"
#include "ui/state/AppEnvironment.h"

#include "core/recovery/OperationRecovery.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QApplication;
class QMenuBar;

namespace threadhop {

class HelpWindow;
class RootView;
class UpdateCheckingWindow;

/// The application: it owns the shared state, the update controller, the main window with its
/// menus and the help window, and runs the launch steps.
class ThreadhopApp final : public QObject {
    Q_OBJECT

public:
    explicit ThreadhopApp(AppEnvironment::Discovery discovery = AppEnvironment::Discovery::standard(),
                          QUrl updateFeed = UpdateController::configuredFeed());
    ~ThreadhopApp() override;

    /// Names the application, gives it its icon and the icon theme, and makes closing the last
    /// window quit it. Call once, right after the QApplication exists.
    static void configure(QApplication& application);

    /// The launch steps: creates the application-support folder (moving the legacy one into place
    /// first; failures are ignored), puts right any operation that was interrupted, then shows the
    /// main window in front, which starts the first scan, and tells once what was put right.
    void start();

    /// Opens the help window, or brings it forward when it is already open.
    void openHelp();

    AppEnvironment& environment() { return m_env; }
    UpdateController& updates() { return m_updates; }
    RootView& mainWindow() { return *m_mainWindow; }
    /// Null until the help window is first opened.
    HelpWindow* helpWindow() { return m_help.get(); }

private:
    void buildMenus(QMenuBar& menuBar);
    void tellAboutInterruptedOperations(const std::vector<OperationRecovery::Report>& reports);
    void showAbout();
    void tellUpdateOutcome(const UpdateCheck::Outcome& outcome);

    AppEnvironment m_env;
    UpdateController m_updates;
    std::unique_ptr<RootView> m_mainWindow;
    std::unique_ptr<HelpWindow> m_help;
    QPointer<UpdateCheckingWindow> m_checking; ///< shown while a check for updates runs
};

} // namespace threadhop
