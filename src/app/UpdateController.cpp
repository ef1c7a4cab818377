#include "UpdateController.h"

#include "app/BuildInfo.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

constexpr int transferTimeoutMs = 20'000;

} // namespace

UpdateController::UpdateController(QUrl feed, QString runningVersion, QObject* parent)
    : QObject(parent),
      m_feed(std::move(feed)),
      m_runningVersion(std::move(runningVersion)),
      m_network(new QNetworkAccessManager(this))
{
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
    return m_feed.isValid() && !m_feed.isEmpty() && !m_running;
}

void UpdateController::checkForUpdates()
{
    if (!canCheckForUpdates())
        return;
    QNetworkRequest request(m_feed);
    request.setTransferTimeout(transferTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_running = m_network->get(request);
    connect(m_running, &QNetworkReply::finished, this, [this, reply = m_running.data()] { finish(reply); });
    emit canCheckForUpdatesChanged(false);
}

void UpdateController::finish(QNetworkReply* reply)
{
    reply->deleteLater();
    m_running.clear();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const UpdateCheck::Outcome outcome = reply->error() == QNetworkReply::NoError
        ? UpdateCheck::judge(reply->readAll(), m_runningVersion)
        : UpdateCheck::downloadFailed(reply->error(), status);
    emit canCheckForUpdatesChanged(canCheckForUpdates());
    emit checked(outcome);
}

} // namespace threadhop
