#include "app/Appcast.h"
#include "app/UpdateCheck.h"
#include "app/VersionNumber.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
namespace Outcomes = UpdateCheck::Outcomes;

QByteArray feed(const QByteArray& items)
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Threadhop</title>)"
        + items + "</channel></rss>\n";
}

TEST(UpdateCheckTest, VersionNumbersCompareComponentByComponent)
{
    using std::strong_ordering;
    const std::tuple<QString, QString, std::optional<strong_ordering>> cases[]{
        {u"1.10"_s, u"1.9"_s, strong_ordering::greater},
        {u"1.9"_s, u"1.10"_s, strong_ordering::less},
        {u"2.0"_s, u"2.0"_s, strong_ordering::equal},
        {u"1.2"_s, u"1.2.0"_s, strong_ordering::equal},
        {u"1.2.1"_s, u"1.2"_s, strong_ordering::greater},
        {u"0.1.0"_s, u"0.2.0"_s, strong_ordering::less},
        {u"007"_s, u"7"_s, strong_ordering::equal},
        {u"123456789012345678901"_s, u"99"_s, strong_ordering::greater},
        {u" 1.3 "_s, u"1.3"_s, strong_ordering::equal},
        {u"1..2"_s, u"1.2"_s, std::nullopt},
        {u"1.2b3"_s, u"1.2"_s, std::nullopt},
        {u""_s, u"1"_s, std::nullopt},
        {u"1"_s, u"v1"_s, std::nullopt},
        {u"1."_s, u"1"_s, std::nullopt},
    };
    for (const auto& [left, right, expected] : cases)
        EXPECT_EQ(VersionNumber::compare(left, right), expected) << left.toStdString() << " vs " << right.toStdString();
}

TEST(UpdateCheckTest, TheNewestItemDecidesWhateverItsPlaceInTheFeed)
{
    const QByteArray items = feed(R"(
<item><title>Old</title><sparkle:version>1.9</sparkle:version><link>https://example.com/1.9</link></item>
<item><title>New</title><sparkle:version>110</sparkle:version>
  <sparkle:shortVersionString>1.10</sparkle:shortVersionString>
  <sparkle:releaseNotesLink>https://example.com/notes/1.10</sparkle:releaseNotesLink></item>
<item><title>Broken</title><sparkle:version>next</sparkle:version></item>
<item><enclosure url="https://example.com/1.5.tar.gz" sparkle:version="105"
  sparkle:shortVersionString="1.5"/></item>)");
    const std::vector<Appcast::Item> parsed{
        {u"1.9"_s, {}, QUrl(u"https://example.com/1.9"_s)},
        {u"110"_s, u"1.10"_s, QUrl(u"https://example.com/notes/1.10"_s)},
        {u"next"_s, {}, {}},
        {u"105"_s, u"1.5"_s, QUrl(u"https://example.com/1.5.tar.gz"_s)},
    };
    EXPECT_EQ(Appcast::parse(items), parsed);

    const std::pair<QString, UpdateCheck::Outcome> cases[]{
        {u"109"_s, Outcomes::Available{u"1.10"_s, QUrl(u"https://example.com/notes/1.10"_s)}},
        {u"110"_s, Outcomes::UpToDate{}},
        {u"111"_s, Outcomes::UpToDate{}},
        {u"dev"_s, Outcomes::Failed{u"This copy of Threadhop has a version number that cannot be compared."_s}},
    };
    for (const auto& [running, expected] : cases)
        EXPECT_EQ(UpdateCheck::judge(items, running), expected) << running.toStdString();
}

TEST(UpdateCheckTest, FeedsThatCannotBeUsed)
{
    const QString unreadable = u"The update information from the server could not be read."_s;
    const QString noVersion = u"The update information from the server names no version."_s;
    const std::pair<QByteArray, QString> cases[]{
        {"<html><body>Not found</body></html>", unreadable},
        {feed("<item><sparkle:version>2.0</sparkle:version>"), unreadable},
        {"", unreadable},
        {feed(""), noVersion},
        {feed("<item><title>No version</title></item>"), noVersion},
    };
    for (const auto& [text, reason] : cases)
        EXPECT_EQ(UpdateCheck::judge(text, u"1.0"_s), UpdateCheck::Outcome(Outcomes::Failed{reason})) << text.data();
}

TEST(UpdateCheckTest, DownloadFailuresAndTheDialogsWords)
{
    EXPECT_EQ(UpdateCheck::downloadFailed(QNetworkReply::ContentNotFoundError, 404).reason,
        u"The update information was not found on the server (HTTP 404)."_s);
    EXPECT_EQ(UpdateCheck::downloadFailed(QNetworkReply::InternalServerError, 503).reason,
        u"The update server answered with an error (HTTP 503)."_s);
    for (const auto error : {QNetworkReply::ConnectionRefusedError, QNetworkReply::HostNotFoundError,
             QNetworkReply::OperationCanceledError}) {
        EXPECT_EQ(UpdateCheck::downloadFailed(error, 0).reason,
            u"The update server could not be reached. Check the internet connection and try again."_s);
    }

    EXPECT_EQ(UpdateCheck::dialog(Outcomes::UpToDate{}, u"0.1.0"_s),
        (UpdateCheck::Dialog{u"You’re up to date"_s, u"Threadhop 0.1.0 is the newest version."_s, std::nullopt}));
    EXPECT_EQ(UpdateCheck::dialog(Outcomes::Available{u"0.2.0"_s, QUrl(u"https://example.com/0.2"_s)}, u"0.1.0"_s),
        (UpdateCheck::Dialog{u"A new version of Threadhop is available"_s,
            u"Threadhop 0.2.0 is available; you have 0.1.0."_s, QUrl(u"https://example.com/0.2"_s)}));
    EXPECT_EQ(UpdateCheck::dialog(Outcomes::Available{u"0.2.0"_s, QUrl()}, u"0.1.0"_s).link, std::nullopt)
        << "no button for an item without a link";
}

} // namespace
} // namespace threadhop
