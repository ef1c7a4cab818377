// The texts made of counts, dates and recorded directories.
#include "ui/widgets/Fmt.h"
#include "support/ui/QtPrinters.h"
#include "ui/widgets/CwdClassBreakdownPresenter.h"
#include "ui/widgets/RelativeTime.h"

#include "core/util/fs/FileMetadata.h"

#include <gtest/gtest.h>

namespace threadhop::testing {
namespace {

using namespace std::chrono_literals;
using namespace CwdClassBreakdownPresenter;

// Each boundary from both sides: counts as they are up to 999, whole thousands (truncated) up to
// 999,999, millions with one decimal above.
TEST(FmtTest, TokensAtEachBoundary)
{
    const std::pair<std::int64_t, QString> cases[] = {
        {999, u"999"_s},        {1000, u"1k"_s},        {1999, u"1k"_s}, {999'999, u"999k"_s},
        {1'000'000, u"1.0M"_s}, {2'340'000, u"2.3M"_s}, {-5, u"-5"_s}};
    for (const auto& [count, text] : cases)
        EXPECT_EQ(Fmt::tokens(count), text) << count;
}

TEST(RelativeTimeTest, TheLargestWholeUnitBackOrForwardEvenFromTheDistantPast)
{
    using Clock = std::chrono::system_clock;
    const std::pair<Clock::duration, QString> cases[]{{0s, u"now"_s},
                                                      {999ms, u"now"_s},
                                                      {59s, u"59 sec. ago"_s},
                                                      {60s, u"1 min. ago"_s},
                                                      {3h + 59min, u"3 hr. ago"_s},
                                                      {24h, u"1 day ago"_s},
                                                      {6 * 24h, u"6 days ago"_s},
                                                      {20 * 24h, u"2 wk. ago"_s},
                                                      {90 * 24h, u"2 mo. ago"_s},
                                                      {800 * 24h, u"2 yr. ago"_s},
                                                      {-5min, u"in 5 min."_s},
                                                      {-2 * 24h, u"in 2 days"_s}};
    const auto now = Clock::now();
    for (const auto& [elapsed, text] : cases)
        EXPECT_EQ(RelativeTime::abbreviated(now - elapsed, now), text);

    // The stand-in for an unreadable file date lies further back than a nanosecond count can span from today.
    const QString unreadable = RelativeTime::abbreviated(distantPast(), now);
    EXPECT_TRUE(unreadable.endsWith(u" yr. ago"_s)) << unreadable.toStdString();
    EXPECT_EQ(RelativeTime::abbreviated(Clock::time_point::min(), Clock::time_point::max()), u"584 yr. ago"_s);
    EXPECT_EQ(RelativeTime::abbreviated(Clock::time_point::max(), Clock::time_point::min()), u"in 584 yr."_s);
}

TEST(CwdClassBreakdownTest, RowsFollowCaseOrderSkipClassesWithoutOccurrencesAndSayTheirFate)
{
    const std::map<CwdClass, std::int64_t> counts{
        {CwdClass::externalState, 4}, {CwdClass::sessionCwd, 12}, {CwdClass::driftedCwd, 0}, {CwdClass::history, 3}};
    const auto fates = [](const std::vector<Row>& rows) {
        std::vector<std::tuple<CwdClass, bool, Symbol, QString>> result;
        for (const Row& row : rows)
            result.emplace_back(row.cwdClass, row.rewritten, row.symbol, row.fate);
        return result;
    };
    const auto kept = rows(counts, false);
    ASSERT_EQ(fates(kept),
              (std::vector{std::tuple(CwdClass::sessionCwd, true, Symbol::pencil, u"rewritten"_s),
                           std::tuple(CwdClass::history, false, Symbol::lock, u"left as recorded"_s),
                           std::tuple(CwdClass::externalState, false, Symbol::lock, u"left as recorded"_s)}));
    EXPECT_EQ(std::tuple(kept[0].count, kept[0].title), std::tuple(u"12"_s, u"Session working directory"_s));
    EXPECT_NE(kept[0].tooltip, kept[1].tooltip) << "each class explains itself";

    auto drifted = counts;
    drifted[CwdClass::driftedCwd] = 2;
    EXPECT_EQ(fates(rows(drifted, true)),
              (std::vector{std::tuple(CwdClass::sessionCwd, true, Symbol::pencil, u"rewritten"_s),
                           std::tuple(CwdClass::driftedCwd, false, Symbol::lock, u"left as recorded"_s),
                           std::tuple(CwdClass::history, true, Symbol::pencil, u"rewritten"_s),
                           std::tuple(CwdClass::externalState, false, Symbol::lock, u"left as recorded"_s)}))
        << "rewriting history rewrites no drifted directory";

    EXPECT_EQ(unparsableNotice(1), u"1 lines are not valid JSON and are passed through untouched."_s) << "no singular";
    EXPECT_EQ(unparsableNotice(0), std::nullopt);
    EXPECT_EQ(unparsableNotice(-3), std::nullopt);
}

} // namespace
} // namespace threadhop::testing
