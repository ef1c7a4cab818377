#include "AppStatusBarPresenter.h"

#include "ui/widgets/RelativeTime.h"

using namespace Qt::StringLiterals;

namespace threadhop {

QString AppStatusBarPresenter::version(const QString& shortVersion, const QString& build)
{
    if (shortVersion.isEmpty())
        return {};
    if (build.isEmpty())
        return u'v' + shortVersion;
    return u'v' + shortVersion + u" ("_s + build + u')';
}

QString AppStatusBarPresenter::liveState(bool isScanning,
                                         const std::optional<std::chrono::system_clock::time_point>& lastScanFinished,
                                         std::int64_t totalProjects, std::chrono::system_clock::time_point now)
{
    if (isScanning)
        return u"Scanning…"_s;
    if (lastScanFinished)
        return QString::number(totalProjects) + u" projects · scanned "_s
            + RelativeTime::abbreviated(*lastScanFinished, now);
    return u"Not scanned yet"_s;
}

bool AppStatusBarPresenter::showsProductLink(const QString& productPageURL)
{
    return !productPageURL.isEmpty();
}

} // namespace threadhop
