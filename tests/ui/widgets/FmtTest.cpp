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

TEST(CwdClassBreakdownTest, EachClassesTexts)
{
    const std::tuple<CwdClass, QString, QString> cases[] = {
        {CwdClass::sessionCwd, u"Session working directory"_s,
         u"The directory the session was launched in. Rewriting this is what makes --resume find the "
         u"conversation."_s},
        {CwdClass::driftedCwd, u"Drifted cwd (ran elsewhere)"_s,
         u"A working directory outside the session's tree — a tool that really did run somewhere else. Never "
         u"rewritten."_s},
        {CwdClass::history, u"Recorded history (tool input/output)"_s,
         u"Paths inside what tools were asked to do and what they returned. "
         u"Rewriting these edits the record of what happened."_s},
        {CwdClass::externalState, u"External state (file-history)"_s,
         u"References into the account's file-history/, which stays behind. Never rewritten."_s},
    };
    // Whether the others are rewritten shows in the rows below.
    EXPECT_FALSE(willBeRewritten(CwdClass::driftedCwd, true));
    for (const auto& [cwdClass, expectedTitle, expectedExplanation] : cases)
        EXPECT_EQ(std::pair(title(cwdClass), explanation(cwdClass)), std::pair(expectedTitle, expectedExplanation));
}

TEST(CwdClassBreakdownTest, RowsFollowCaseOrderSkipClassesWithoutOccurrencesAndSayTheirFate)
{
    const std::map<CwdClass, std::int64_t> counts{
        {CwdClass::externalState, 4}, {CwdClass::sessionCwd, 12}, {CwdClass::driftedCwd, 0}, {CwdClass::history, 3}};
    const auto kept = rows(counts, false);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0],
              (Row{.cwdClass = CwdClass::sessionCwd,
                   .rewritten = true,
                   .symbol = Symbol::pencil,
                   .count = u"12"_s,
                   .title = title(CwdClass::sessionCwd),
                   .fate = u"rewritten"_s,
                   .tooltip = explanation(CwdClass::sessionCwd)}));
    const auto fate = [](const Row& row) { return std::tuple(row.cwdClass, row.symbol, row.fate); };
    EXPECT_EQ((std::vector{fate(kept[1]), fate(kept[2]), fate(rows(counts, true).at(1))}),
              (std::vector{std::tuple(CwdClass::history, Symbol::lock, u"left as recorded"_s),
                           std::tuple(CwdClass::externalState, Symbol::lock, u"left as recorded"_s),
                           std::tuple(CwdClass::history, Symbol::pencil, u"rewritten"_s)}));
}

TEST(CwdClassBreakdownTest, UnparsableLinesNoticeHasNoSingular)
{
    EXPECT_EQ(unparsableNotice(1), u"1 lines are not valid JSON and are passed through untouched."_s);
    EXPECT_EQ(unparsableNotice(0), std::nullopt);
    EXPECT_EQ(unparsableNotice(-3), std::nullopt);
}

} // namespace
} // namespace threadhop::testing
