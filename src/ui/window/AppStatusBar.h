#pragma once

#include "ui/state/AppEnvironment.h"

#include <QFrame>

class QLabel;
class QTimer;

namespace threadhop {

/// The one-line bar along the bottom of the main window: icon, name and version, what the scan
/// is doing or what the last one found and how long ago, and the product page link when the
/// build names one.
class AppStatusBar final : public QFrame {
    Q_OBJECT

public:
    /// Version, build and product page are build settings; tests pass their own.
    AppStatusBar(AppEnvironment& env, const QString& shortVersion, const QString& build, const QString& productPageURL,
        QWidget* parent = nullptr);
    /// With the build settings compiled into the application.
    explicit AppStatusBar(AppEnvironment& env, QWidget* parent = nullptr);

private:
    void showLiveState();

    AppEnvironment& m_env;
    QLabel* m_liveState;
    QTimer* m_clock;
};

} // namespace threadhop
