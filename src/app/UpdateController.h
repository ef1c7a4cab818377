#pragma once

#include "UpdateCheck.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace threadhop {

/// The application's update check: a can-check state and a check action. The check fetches the
/// feed (an RSS document of releases) in the background, reads it on the thread pool and compares
/// its newest version with the running one. Without a feed address (a build setting) it can never
/// check; while a check runs it cannot start another. A feed larger than `feedSizeLimit` is not read
/// past it, and a check that has not ended by its deadline is stopped: either fails the check.
class UpdateController final : public QObject {
    Q_OBJECT

public:
    /// A feed is a few kilobytes; more than this is no feed.
    static constexpr qint64 feedSizeLimit = 1024 * 1024;
    /// How long a check may take, from its request to the verdict on the feed.
    static constexpr std::chrono::milliseconds standardDeadline{20'000};

    /// `runningVersion` is compared with the feed's versions.
    UpdateController(QUrl feed, QString runningVersion, std::chrono::milliseconds deadline = standardDeadline,
                     QObject* parent = nullptr);

    /// The feed address compiled into the application.
    static QUrl configuredFeed();
    /// The running build's version as the feed's versions count it: the build number when the
    /// build has one, otherwise the version.
    static QString builtVersion();

    bool canCheckForUpdates() const;

    /// Starts a check and returns at once; `started` says so and `checked` reports its outcome. Does
    /// nothing while the controller cannot check.
    void checkForUpdates();

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    void started();
    void checked(const threadhop::UpdateCheck::Outcome& outcome);

private:
    /// Adds what has arrived to the feed; false, having ended the check, once it is too large.
    bool take(QNetworkReply* reply);
    void downloaded(QNetworkReply* reply);
    void end(const UpdateCheck::Outcome& outcome);

    QUrl m_feed;
    QString m_runningVersion;
    QNetworkAccessManager* m_network;
    QTimer m_deadline;
    /// The running check, null when none runs. Its download and its reading of the feed belong to it:
    /// what they still say after the check has ended is dropped.
    QObject* m_check = nullptr;
    QByteArray m_body; ///< what the running check has read
};

} // namespace threadhop
