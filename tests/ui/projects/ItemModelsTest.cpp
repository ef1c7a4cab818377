#include "ui/accounts/AccountListModel.h"
#include "ui/projects/ProjectListModel.h"
#include "theme/Theme.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using Mode = QAbstractItemModelTester::FailureReportingMode;

ProjectFolder project(const std::string& folder, std::int64_t subagents = 0)
{
    return {.id = "a:" + folder,
        .accountId = "a",
        .folderName = folder,
        .subagentCount = subagents,
        .lastModified = std::chrono::system_clock::now() - std::chrono::minutes(3),
        .status = ResumeStatus::cwdMismatch};
}

AccountRowPresenter::Row accountRow(const QString& id, std::optional<QString> badge = std::nullopt)
{
    return {.id = id,
        .label = id,
        .identity = u"not signed in"_s,
        .identityIsWarning = true,
        .folder = u"/f"_s,
        .dotColor = Theme::unknown(),
        .problemsBadge = std::move(badge),
        .projectCount = u"0"_s};
}

TEST(ItemModelsTest, ProjectListModelPassesTheModelTesterThroughResets)
{
    ProjectListModel model;
    QAbstractItemModelTester tester(&model, Mode::Warning);
    model.setProjects({project("-a"), project("-b", 2), project("-c")});
    EXPECT_EQ(model.rowCount(), 3);
    model.setProjects({});
    EXPECT_EQ(model.rowCount(), 0);
    model.setProjects({project("-d")});
    EXPECT_EQ(model.rowCount(), 1);
}

TEST(ItemModelsTest, AccountListModelPassesTheModelTesterAndSkipsNeedlessResets)
{
    AccountListModel model;
    QAbstractItemModelTester tester(&model, Mode::Warning);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    model.setRows({accountRow(u"a"_s), accountRow(u"b"_s, u"3"_s)});
    EXPECT_EQ(resets.size(), 1);
    model.setRows({accountRow(u"a"_s), accountRow(u"b"_s, u"3"_s)});
    EXPECT_EQ(resets.size(), 1) << "the same rows again change nothing";

    EXPECT_EQ(model.rowOf(u"b"_s), 1);
    EXPECT_EQ(model.index(1).data(AccountListModel::ProblemsBadgeRole).toString(), u"3"_s);
    EXPECT_FALSE(model.index(0).data(AccountListModel::ProblemsBadgeRole).isValid());
    EXPECT_TRUE(model.index(0).data(AccountListModel::IdentityIsWarningRole).toBool());
    model.setRows({});
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
} // namespace threadhop
