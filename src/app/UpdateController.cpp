#include "UpdateController.h"

#include "app/BuildInfo.h"

#include <QDesktopServices>

namespace threadhop {

UpdateController::UpdateController(QUrl feed, QObject* parent)
    : QObject(parent), m_feed(std::move(feed)), m_canCheck(m_feed.isValid() && !m_feed.isEmpty())
{
}

QUrl UpdateController::configuredFeed()
{
    return QUrl(QString::fromUtf8(BuildInfo::updateFeedURL));
}

void UpdateController::checkForUpdates()
{
    if (!m_canCheck)
        return;
    QDesktopServices::openUrl(m_feed);
}

} // namespace threadhop
