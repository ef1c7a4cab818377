#include "UpdateCheck.h"

#include "Appcast.h"
#include "VersionNumber.h"

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

namespace Outcomes = UpdateCheck::Outcomes;

} // namespace

UpdateCheck::Outcomes::Failed UpdateCheck::unreadableFeed()
{
    return {u"The update information from the server could not be read."_s};
}

UpdateCheck::Outcome UpdateCheck::judge(QByteArrayView feed, const QString& runningVersion)
{
    const auto items = Appcast::parse(feed);
    if (!items)
        return unreadableFeed();
    // The newest item, whatever its place in the feed; items whose version cannot be compared are passed over.
    const Appcast::Item* newest = nullptr;
    for (const auto& item : *items) {
        const auto order = VersionNumber::compare(item.version, newest ? newest->version : u"0"_s);
        if (order && (!newest || *order > 0))
            newest = &item;
    }
    if (!newest)
        return Outcomes::Failed{u"The update information from the server names no version."_s};
    const auto order = VersionNumber::compare(newest->version, runningVersion);
    if (!order)
        return Outcomes::Failed{u"This copy of Threadhop has a version number that cannot be compared."_s};
    if (*order <= 0)
        return Outcomes::UpToDate{};
    return Outcomes::Available{newest->shortVersion.isEmpty() ? newest->version : newest->shortVersion, newest->link};
}

UpdateCheck::Outcomes::Failed UpdateCheck::downloadFailed(QNetworkReply::NetworkError error, int httpStatus)
{
    if (httpStatus == 404 || httpStatus == 410)
        return {u"The update information was not found on the server (HTTP %1)."_s.arg(httpStatus)};
    if (httpStatus >= 400)
        return {u"The update server answered with an error (HTTP %1)."_s.arg(httpStatus)};
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return {u"The update server could not be reached. Check the internet connection and try again."_s};
    case QNetworkReply::SslHandshakeFailedError:
        return {u"A secure connection to the update server could not be made."_s};
    default:
        return {u"The update information could not be downloaded."_s};
    }
}

UpdateCheck::Outcomes::Failed UpdateCheck::feedTooLarge()
{
    return {u"The update information from the server is too large to be read."_s};
}

UpdateCheck::Outcomes::Failed UpdateCheck::tookTooLong()
{
    return {u"The update server took too long to answer. Try again later."_s};
}

UpdateCheck::Dialog UpdateCheck::dialog(const Outcome& outcome, const QString& shownVersion)
{
    if (std::holds_alternative<Outcomes::UpToDate>(outcome))
        return {u"You’re up to date"_s, u"Threadhop %1 is the newest version."_s.arg(shownVersion), std::nullopt};
    if (const auto* available = std::get_if<Outcomes::Available>(&outcome)) {
        // The feed is another party's text: a link to anything but a web page (a local file, a
        // program's scheme) is not offered.
        std::optional<QUrl> link;
        const QString scheme = available->link.scheme();
        if (available->link.isValid() && (scheme == u"https"_s || scheme == u"http"_s))
            link = available->link;
        return {u"A new version of Threadhop is available"_s,
                u"Threadhop %1 is available; you have %2."_s.arg(available->version, shownVersion), link};
    }
    return {u"Could not check for updates"_s, std::get<Outcomes::Failed>(outcome).reason, std::nullopt};
}

} // namespace threadhop
