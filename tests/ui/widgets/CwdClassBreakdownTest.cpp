#include "ui/widgets/CwdClassBreakdown.h"
#include "ui/widgets/CwdClassBreakdownPresenter.h"
#include "support/ui/UiTest.h"

#include <QLabel>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using namespace CwdClassBreakdownPresenter;

TEST(CwdClassBreakdownTest, RowsFollowCaseOrderAndSkipClassesWithoutOccurrences)
{
    const auto result
        = rows({{CwdClass::externalState, 4}, {CwdClass::sessionCwd, 12}, {CwdClass::driftedCwd, 0}}, false);
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0],
        (Row{.cwdClass = CwdClass::sessionCwd,
            .rewritten = true,
            .symbol = Symbol::pencil,
            .count = u"12"_s,
            .title = u"Session working directory"_s,
            .fate = u"rewritten"_s,
            .tooltip = u"The directory the session was launched in. Rewriting this is what makes "
                       u"--resume find the conversation."_s}));
    EXPECT_EQ(result[1].cwdClass, CwdClass::externalState);
    EXPECT_EQ(result[1].symbol, Symbol::lock);
    EXPECT_EQ(result[1].fate, u"left as recorded"_s);
    EXPECT_EQ(result[1].title, u"External state (file-history)"_s);
}

TEST(CwdClassBreakdownTest, HistoryIsRewrittenOnlyWhenAsked)
{
    const std::map<CwdClass, std::int64_t> counts{{CwdClass::history, 3}};
    const Row kept = rows(counts, false).at(0);
    EXPECT_EQ(kept.symbol, Symbol::lock);
    EXPECT_EQ(kept.fate, u"left as recorded"_s);
    EXPECT_EQ(kept.title, u"Recorded history (tool input/output)"_s);
    const Row rewritten = rows(counts, true).at(0);
    EXPECT_EQ(rewritten.symbol, Symbol::pencil);
    EXPECT_EQ(rewritten.fate, u"rewritten"_s);

    for (const bool history : {false, true}) {
        EXPECT_FALSE(willBeRewritten(CwdClass::driftedCwd, history));
        EXPECT_FALSE(willBeRewritten(CwdClass::externalState, history));
        EXPECT_TRUE(willBeRewritten(CwdClass::sessionCwd, history));
    }
}

// The exact texts users read for each class.
TEST(CwdClassBreakdownTest, TitlesAndExplanations)
{
    const std::tuple<CwdClass, QString, QString> cases[] = {
        {CwdClass::sessionCwd, u"Session working directory"_s,
            u"The directory the session was launched in. Rewriting this is what makes --resume find the conversation."_s},
        {CwdClass::driftedCwd, u"Drifted cwd (ran elsewhere)"_s,
            u"A working directory outside the session's tree — a tool that really did run somewhere else. Never rewritten."_s},
        {CwdClass::history, u"Recorded history (tool input/output)"_s,
            u"Paths inside what tools were asked to do and what they returned. "
            u"Rewriting these edits the record of what happened."_s},
        {CwdClass::externalState, u"External state (file-history)"_s,
            u"References into the account's file-history/, which stays behind. Never rewritten."_s},
    };
    for (const auto& [cwdClass, expectedTitle, expectedExplanation] : cases) {
        EXPECT_EQ(title(cwdClass), expectedTitle);
        EXPECT_EQ(explanation(cwdClass), expectedExplanation);
    }
}

TEST(CwdClassBreakdownTest, UnparsableLinesNoticeHasNoSingular)
{
    EXPECT_EQ(unparsableNotice(1), u"1 lines are not valid JSON and are passed through untouched."_s);
    EXPECT_EQ(unparsableNotice(1234), u"1234 lines are not valid JSON and are passed through untouched."_s);
    EXPECT_EQ(unparsableNotice(0), std::nullopt);
    EXPECT_EQ(unparsableNotice(-3), std::nullopt);
}

TEST(CwdClassBreakdownTest, WidgetShowsOneRowPerCountedClassThenTheNotice)
{
    const CwdClassBreakdown empty({}, 0, false);
    EXPECT_TRUE(empty.findChildren<QWidget*>(u"breakdownRow"_s).isEmpty());
    EXPECT_EQ(empty.findChild<QLabel*>(u"unparsableNotice"_s), nullptr);

    const CwdClassBreakdown box({{CwdClass::sessionCwd, 2}, {CwdClass::history, 1}}, 5, true);
    const auto rowWidgets = box.findChildren<QWidget*>(u"breakdownRow"_s);
    ASSERT_EQ(rowWidgets.size(), 2);
    EXPECT_EQ(rowWidgets[1]->toolTip(), explanation(CwdClass::history));
    EXPECT_EQ(rowWidgets[1]->findChild<QLabel*>(u"breakdownIcon"_s)->property("symbol").toInt(),
        static_cast<int>(Symbol::pencil));
    const auto* notice = testing::child<QLabel>(box, u"unparsableNotice"_s);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), u"5 lines are not valid JSON and are passed through untouched."_s);
}

} // namespace
} // namespace threadhop
