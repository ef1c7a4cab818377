#include "theme/Theme.h"
#include "ui/accounts/AccountListModel.h"
#include "ui/accounts/AccountRowPresenter.h"

#include "support/ui/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace threadhop::testing {
namespace {

using Row = AccountRowPresenter::Row;

TEST(AccountRowPresenterTest, RowsOfAccountsSignedInOrNotTheEmptyStateOnceNoScanRunsAndTheHeader)
{
    const ClaudeAccount work{.id = "work",
                             .label = "claude-work",
                             .alias = "claude-work",
                             .configDir = "/Users/ana/.claude-work",
                             .identity = AccountIdentity{.emailAddress = "ana@example.com"}};
    EXPECT_EQ(AccountRowPresenter::row(work, true, 3, 12),
              (Row{u"work"_s, u"claude-work"_s, u"ana@example.com"_s, false, u"/Users/ana/.claude-work"_s, Theme::ok(),
                   u"3"_s, u"12"_s}));
    const ClaudeAccount nobody{.id = "x", .label = "x", .alias = "x", .configDir = "/nowhere"};
    EXPECT_EQ(AccountRowPresenter::row(nobody, false, 0, 0),
              (Row{u"x"_s, u"x"_s, u"not signed in"_s, true, u"/nowhere"_s, Theme::unknown(), std::nullopt, u"0"_s}));

    EXPECT_EQ(AccountRowPresenter::emptyState(false, false),
              (EmptyState{u"No accounts found"_s, Symbol::personSlash, std::nullopt}));
    EXPECT_EQ(AccountRowPresenter::emptyState(true, false), std::nullopt);
    EXPECT_EQ(AccountRowPresenter::sectionHeader(), u"Claude Code accounts"_s);
}

// The window's tests run this model under the item model tester.
TEST(ItemModelsTest, AccountListModelSkipsNeedlessResetsAndServesItsRows)
{
    AccountListModel model;
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    const std::vector rows{AccountRowPresenter::row({.id = "a"}, false, 0, 0),
                           AccountRowPresenter::row({.id = "b"}, false, 3, 0)};
    model.setRows(rows);
    model.setRows(rows);
    EXPECT_EQ(resets.size(), 1) << "the same rows again change nothing";

    EXPECT_EQ(model.rowOf(u"b"_s), 1);
    EXPECT_FALSE(model.index(0).data(AccountListModel::ProblemsBadgeRole).isValid());
    EXPECT_TRUE(model.index(0).data(AccountListModel::IdentityIsWarningRole).toBool());
    model.setRows({});
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
} // namespace threadhop::testing
