#pragma once

#include <QObject>
#include <QUrl>

namespace threadhop {

/// The application's update check: a can-check state and a check action. Its feed address is a
/// build setting; without one it can never check, so the menu item stays disabled. The state does
/// not change while the application runs.
class UpdateController final : public QObject {
    Q_OBJECT

public:
    explicit UpdateController(QUrl feed, QObject* parent = nullptr);

    /// Reads the feed address compiled into the application.
    static QUrl configuredFeed();

    bool canCheckForUpdates() const { return m_canCheck; }

    /// Hands the feed address to the system's default handler, which shows what is available.
    /// Does nothing while the controller cannot check.
    void checkForUpdates();

private:
    QUrl m_feed;
    bool m_canCheck = false;
};

} // namespace threadhop
