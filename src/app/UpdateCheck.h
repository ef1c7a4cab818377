#pragma once

#include <QByteArrayView>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <optional>
#include <variant>

// What a check for updates found, and how the dialog words it.
namespace threadhop::UpdateCheck {

namespace Outcomes {
/// The running version is the newest the feed names (or newer).
struct UpToDate {
    bool operator==(const UpToDate&) const = default;
};
/// The feed names a newer version.
struct Available {
    QString version; ///< as shown to people
    QUrl link;
    bool operator==(const Available&) const = default;
};
/// The check could not tell; why, in plain words.
struct Failed {
    QString reason;
    bool operator==(const Failed&) const = default;
};
} // namespace Outcomes

using Outcome = std::variant<Outcomes::UpToDate, Outcomes::Available, Outcomes::Failed>;

/// Compares the newest version the feed names with `runningVersion`.
Outcome judge(QByteArrayView feed, const QString& runningVersion);

/// A feed that is not a well-formed RSS document.
Outcomes::Failed unreadableFeed();

/// A download that failed: no connection, an error page (`httpStatus`, 0 for none) or anything else.
Outcomes::Failed downloadFailed(QNetworkReply::NetworkError error, int httpStatus);

/// A download stopped because it was larger than any feed.
Outcomes::Failed feedTooLarge();

/// A check stopped because it had not ended by its deadline.
Outcomes::Failed tookTooLong();

/// The dialog that reports an outcome; `link` is what its extra button opens, only ever a web page.
struct Dialog {
    QString title;
    QString text;
    std::optional<QUrl> link;

    bool operator==(const Dialog&) const = default;
};

/// `shownVersion` is the running version as people know it.
Dialog dialog(const Outcome& outcome, const QString& shownVersion);

} // namespace threadhop::UpdateCheck
