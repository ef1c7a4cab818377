#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

// The update feed: an RSS document whose items each announce one release.
namespace threadhop::Appcast {

struct Item {
    QString version;      ///< the build's version, compared with the running one
    QString shortVersion; ///< the version shown to people; may be empty
    QUrl link;            ///< the release's page, its release notes or its download, in that preference

    bool operator==(const Item&) const = default;
};

/// The items of the feed in document order, those without any version included. Nothing when the
/// text is not a well-formed RSS document.
std::optional<std::vector<Item>> parse(QByteArrayView feed);

} // namespace threadhop::Appcast
