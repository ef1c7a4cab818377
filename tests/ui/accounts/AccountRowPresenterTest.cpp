#include "ui/accounts/AccountRowPresenter.h"
#include "theme/Theme.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;

TEST(AccountRowPresenterTest, SignedInAccountWithProblems)
{
    const ClaudeAccount account{.id = "work",
        .label = "claude-work",
        .alias = "claude-work",
        .configDir = "/Users/ana/.claude-work",
        .identity = AccountIdentity{.emailAddress = "ana@example.com"}};
    EXPECT_EQ(AccountRowPresenter::row(account, true, 3, 12),
        (AccountRowPresenter::Row{.id = u"work"_s,
            .label = u"claude-work"_s,
            .identity = u"ana@example.com"_s,
            .identityIsWarning = false,
            .folder = u"/Users/ana/.claude-work"_s,
            .dotColor = Theme::ok(),
            .problemsBadge = u"3"_s,
            .projectCount = u"12"_s}));
}

TEST(AccountRowPresenterTest, AccountWithoutIdentityOrProjectsFolder)
{
    const ClaudeAccount account{.id = "x", .label = "x", .alias = "x", .configDir = "/nowhere"};
    const auto row = AccountRowPresenter::row(account, false, 0, 0);
    EXPECT_EQ(row.identity, u"not signed in"_s);
    EXPECT_TRUE(row.identityIsWarning);
    EXPECT_EQ(row.dotColor, Theme::unknown());
    EXPECT_EQ(row.problemsBadge, std::nullopt);
    EXPECT_EQ(row.projectCount, u"0"_s);
}

TEST(AccountRowPresenterTest, EmptyStateOnlyOnceNoScanRuns)
{
    EXPECT_EQ(AccountRowPresenter::emptyState(false, false),
        (EmptyState{u"No accounts found"_s, Symbol::personSlash, std::nullopt}));
    EXPECT_EQ(AccountRowPresenter::emptyState(false, true), std::nullopt);
    EXPECT_EQ(AccountRowPresenter::emptyState(true, false), std::nullopt);
    EXPECT_EQ(AccountRowPresenter::sectionHeader(), u"Claude Code accounts"_s);
}

} // namespace
} // namespace threadhop
