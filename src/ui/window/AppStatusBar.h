#pragma once

#include "BuildSettings.h"
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
    AppStatusBar(AppEnvironment& env, const BuildSettings& build, QWidget* parent = nullptr);

private:
    void showLiveState();

    AppEnvironment& m_env;
    QLabel* m_liveState;
    QTimer* m_clock;
};

} // namespace threadhop
