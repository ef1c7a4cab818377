#include "ui/window/AppStatusBar.h"
#include "ui/window/AppStatusBarPresenter.h"
#include "support/ui/UiTest.h"

#include <QLabel>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

TEST(AppStatusBarPresenterTest, Version)
{
    EXPECT_EQ(AppStatusBarPresenter::version(u"1.4.2"_s, u"87"_s), u"v1.4.2 (87)"_s);
    EXPECT_EQ(AppStatusBarPresenter::version(u"1.4.2"_s, {}), u"v1.4.2"_s);
    EXPECT_EQ(AppStatusBarPresenter::version({}, u"87"_s), QString());
}

TEST(AppStatusBarPresenterTest, LiveState)
{
    const auto now = std::chrono::system_clock::now();
    EXPECT_EQ(AppStatusBarPresenter::liveState(false, std::nullopt, 0, now), u"Not scanned yet"_s);
    EXPECT_EQ(AppStatusBarPresenter::liveState(true, std::nullopt, 0, now), u"Scanning…"_s);
    EXPECT_EQ(AppStatusBarPresenter::liveState(true, now - 1h, 40, now), u"Scanning…"_s);
    EXPECT_EQ(AppStatusBarPresenter::liveState(false, now - 5min, 1, now), u"1 projects · scanned 5 min. ago"_s)
        << "the word stays plural";
    EXPECT_EQ(AppStatusBarPresenter::liveState(false, now, 40, now), u"40 projects · scanned now"_s);
}

class AppStatusBarTest : public testing::HomeTest {
protected:
    AppEnvironment env{AppEnvironment::Discovery{.scanAccounts = [] { return std::vector<ClaudeAccount>{}; },
        .indexProjects = [](const ClaudeAccount&) { return std::vector<ProjectFolder>{}; }}};
};

TEST_F(AppStatusBarTest, ShowsVersionAndFollowsTheScan)
{
    const AppStatusBar bar(env, {u"0.1.0"_s, {}, {}});
    EXPECT_EQ(testing::child<QLabel>(bar, u"statusVersion"_s)->text(), u"v0.1.0"_s);
    const auto* live = testing::child<QLabel>(bar, u"statusLiveState"_s);
    EXPECT_EQ(live->text(), u"Not scanned yet"_s);
    env.scan();
    EXPECT_EQ(live->text(), u"Scanning…"_s);
    ASSERT_TRUE(testing::waitUntil([&] { return !env.isScanning(); }));
    EXPECT_EQ(live->text(), u"0 projects · scanned now"_s);
}

TEST_F(AppStatusBarTest, ProductLinkAndItsSeparatorOnlyWithAnAddress)
{
    const AppStatusBar without(env, {u"0.1.0"_s, {}, {}});
    EXPECT_EQ(without.findChild<QLabel*>(u"productPageLink"_s), nullptr);
    EXPECT_EQ(without.findChildren<QLabel*>(u"statusSeparator"_s).size(), 1) << "only the dot before the live state";

    const AppStatusBar with(env, {u"0.1.0"_s, u"7"_s, u"https://example.com/threadhop"_s});
    const auto* link = testing::child<QLabel>(with, u"productPageLink"_s);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains(u">Threadhop Home<"_s));
    EXPECT_TRUE(link->text().contains(u"href=\"https://example.com/threadhop\""_s));
    EXPECT_EQ(with.findChildren<QLabel*>(u"statusSeparator"_s).size(), 2);
    EXPECT_EQ(testing::child<QLabel>(with, u"statusVersion"_s)->text(), u"v0.1.0 (7)"_s);
}

} // namespace
} // namespace threadhop
