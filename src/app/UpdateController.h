#pragma once

#include "UpdateCheck.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace threadhop {

/// The application's update check: a can-check state and a check action. The check fetches the
/// feed (an RSS document of releases) in the background and compares its newest version with the
/// running one. Without a feed address (a build setting) it can never check; while a check runs it
/// cannot start another.
class UpdateController final : public QObject {
    Q_OBJECT

public:
    /// `runningVersion` is compared with the feed's versions.
    UpdateController(QUrl feed, QString runningVersion, QObject* parent = nullptr);

    /// The feed address compiled into the application.
    static QUrl configuredFeed();
    /// The running build's version as the feed's versions count it: the build number when the
    /// build has one, otherwise the version.
    static QString builtVersion();

    bool canCheckForUpdates() const;

    /// Starts a check and returns at once; `checked` reports its outcome. Does nothing while the
    /// controller cannot check.
    void checkForUpdates();

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    void checked(const threadhop::UpdateCheck::Outcome& outcome);

private:
    void finish(QNetworkReply* reply);

    QUrl m_feed;
    QString m_runningVersion;
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_running;
};

} // namespace threadhop
