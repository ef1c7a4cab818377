#include "UpdateController.h"

#include "app/BuildInfo.h"
#include "ui/jobs/BackgroundJob.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace threadhop {

UpdateController::UpdateController(QUrl feed, QString runningVersion, std::chrono::milliseconds deadline,
                                   QObject* parent)
    : QObject(parent),
      m_feed(std::move(feed)),
      m_runningVersion(std::move(runningVersion)),
      m_network(new QNetworkAccessManager(this))
{
    // Counts the whole check, not silence: a server that sends a byte now and then must not keep it running.
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(deadline);
    connect(&m_deadline, &QTimer::timeout, this, [this] { end(UpdateCheck::tookTooLong()); });
}

QUrl UpdateController::configuredFeed()
{
    return QUrl(QString::fromUtf8(BuildInfo::updateFeedURL));
}

QString UpdateController::builtVersion()
{
    const QString build = QString::fromUtf8(BuildInfo::buildNumber);
    return build.isEmpty() ? QString::fromUtf8(BuildInfo::version) : build;
}

bool UpdateController::canCheckForUpdates() const
{
    return m_feed.isValid() && !m_feed.isEmpty() && !m_check;
}

void UpdateController::checkForUpdates()
{
    if (!canCheckForUpdates())
        return;
    QObject* check = m_check = new QObject(this);
    QNetworkRequest request(m_feed);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = m_network->get(request);
    reply->setParent(check);
    connect(reply, &QNetworkReply::readyRead, check, [this, check, reply] {
        if (check == m_check)
            take(reply);
    });
    connect(reply, &QNetworkReply::finished, check, [this, check, reply] {
        if (check == m_check)
            downloaded(reply);
    });
    m_deadline.start();
    emit canCheckForUpdatesChanged(false);
    emit started();
}

bool UpdateController::take(QNetworkReply* reply)
{
    // One byte past the limit tells a feed that is too large from one that fills it exactly.
    m_body += reply->read(feedSizeLimit + 1 - m_body.size());
    if (m_body.size() <= feedSizeLimit)
        return true;
    end(UpdateCheck::feedTooLarge());
    return false;
}

void UpdateController::downloaded(QNetworkReply* reply)
{
    if (reply->error() != QNetworkReply::NoError) {
        end(UpdateCheck::downloadFailed(reply->error(),
                                        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
        return;
    }
    if (!take(reply))
        return;
    // A hostile feed of that size can take the XML reader many seconds; the window must not wait for it.
    BackgroundJob::run<UpdateCheck::Outcome>(
        *m_check, [feed = m_body, version = m_runningVersion] { return UpdateCheck::judge(feed, version); },
        [this, check = m_check](const JobOutcome<UpdateCheck::Outcome>& outcome) {
            if (check != m_check)
                return;
            const auto* verdict = std::get_if<UpdateCheck::Outcome>(&outcome);
            end(verdict ? *verdict : UpdateCheck::unreadableFeed());
        });
}

void UpdateController::end(const UpdateCheck::Outcome& outcome)
{
    m_deadline.stop();
    m_check->deleteLater(); // aborts its download; a reading of the feed still under way is let go
    m_check = nullptr;
    m_body.clear();
    emit canCheckForUpdatesChanged(canCheckForUpdates());
    emit checked(outcome);
}

} // namespace threadhop
