#include "ui/widgets/RelativeTime.h"

#include "core/util/fs/FileMetadata.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

QString ago(std::chrono::system_clock::duration elapsed)
{
    const auto now = std::chrono::system_clock::now();
    return RelativeTime::abbreviated(now - elapsed, now);
}

TEST(RelativeTimeTest, LargestWholeUnit)
{
    EXPECT_EQ(ago(0s), u"now"_s);
    EXPECT_EQ(ago(999ms), u"now"_s);
    EXPECT_EQ(ago(12s), u"12 sec. ago"_s);
    EXPECT_EQ(ago(59s), u"59 sec. ago"_s);
    EXPECT_EQ(ago(60s), u"1 min. ago"_s);
    EXPECT_EQ(ago(3h + 59min), u"3 hr. ago"_s);
    EXPECT_EQ(ago(24h), u"1 day ago"_s);
    EXPECT_EQ(ago(6 * 24h), u"6 days ago"_s);
    EXPECT_EQ(ago(20 * 24h), u"2 wk. ago"_s);
    EXPECT_EQ(ago(90 * 24h), u"2 mo. ago"_s);
    EXPECT_EQ(ago(800 * 24h), u"2 yr. ago"_s);
}

TEST(RelativeTimeTest, FutureMomentsReadForward)
{
    EXPECT_EQ(ago(-5min), u"in 5 min."_s);
    EXPECT_EQ(ago(-2 * 24h), u"in 2 days"_s);
}

TEST(RelativeTimeTest, DistantPastStaysReadable)
{
    using Clock = std::chrono::system_clock;
    const auto now = Clock::now();
    EXPECT_TRUE(RelativeTime::abbreviated(Clock::time_point{}, now).endsWith(u" yr. ago"_s));
    // The stand-in for an unreadable file date lies further back than a nanosecond count can span from today.
    const QString unreadable = RelativeTime::abbreviated(distantPast(), now);
    EXPECT_FALSE(unreadable.startsWith(u"in "_s)) << unreadable.toStdString();
    EXPECT_TRUE(unreadable.endsWith(u" yr. ago"_s)) << unreadable.toStdString();
    EXPECT_EQ(RelativeTime::abbreviated(Clock::time_point::min(), Clock::time_point::max()), u"584 yr. ago"_s);
    EXPECT_EQ(RelativeTime::abbreviated(Clock::time_point::max(), Clock::time_point::min()), u"in 584 yr."_s);
}

} // namespace
} // namespace threadhop
