#include "ui/projects/ProjectRowPresenter.h"
#include "ui/projects/ProjectsListPresenter.h"
#include "theme/Theme.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

ProjectFolder project(
    std::string folderName, std::optional<std::string> cwd = std::nullopt, ResumeStatus status = ResumeStatus::ok)
{
    return {.id = "claude:" + folderName,
        .accountId = "claude",
        .folderName = std::move(folderName),
        .actualCwd = std::move(cwd),
        .status = status};
}

std::vector<ProjectFolder> twelveProjects()
{
    std::vector<ProjectFolder> all;
    for (int i = 0; i < 12; ++i)
        all.push_back(project("-p" + std::to_string(i), "/p" + std::to_string(i)));
    return all;
}

TEST(ProjectRowPresenterTest, DisplayPathPrefersTheRecordedDirectory)
{
    EXPECT_EQ(ProjectRowPresenter::displayPath(project("-x", "/Users/ana/my_app")), u"/Users/ana/my_app"_s);
    EXPECT_EQ(ProjectRowPresenter::displayPath(project("-Users-ana-my-app")), u"/Users/ana/my/app"_s);
    EXPECT_EQ(ProjectRowPresenter::displayPath(project("-Users-ana-my-app", "")), u"/Users/ana/my/app"_s)
        << "an empty recorded directory counts as none";
    EXPECT_EQ(ProjectRowPresenter::displayPath(project("plain-name")), u"plain-name"_s);
    EXPECT_EQ(ProjectRowPresenter::displayPath(project("-Users-ana-Café")), u"/Users/ana/Café"_s);
}

TEST(ProjectRowPresenterTest, StatusColors)
{
    EXPECT_EQ(ProjectRowPresenter::statusColor(ResumeStatus::ok), Theme::ok());
    EXPECT_EQ(ProjectRowPresenter::statusColor(ResumeStatus::cwdMismatch), Theme::warn());
    EXPECT_EQ(ProjectRowPresenter::statusColor(ResumeStatus::targetMissing), Theme::broken());
    EXPECT_EQ(ProjectRowPresenter::statusColor(ResumeStatus::ephemeralLocation), Theme::unknown());
    EXPECT_EQ(ProjectRowPresenter::statusColor(ResumeStatus::noCwdRecorded), Theme::unknown());
}

TEST(ProjectRowPresenterTest, DetailLineShowsSubagentsOnlyWhenThereAreAny)
{
    ProjectFolder folder = project("-p");
    folder.sessionCount = 7;
    folder.totalSizeBytes = 1'500'000;
    const auto size = ProjectRowPresenter::size(1'500'000);
    using Item = ProjectRowPresenter::DetailItem;
    EXPECT_EQ(ProjectRowPresenter::detailItems(folder),
        (std::vector<Item>{{Symbol::bubbleLeft, u"7"_s}, {Symbol::externaldrive, size}}));
    folder.subagentCount = 1;
    EXPECT_EQ(ProjectRowPresenter::detailItems(folder),
        (std::vector<Item>{{Symbol::bubbleLeft, u"7"_s}, {Symbol::person2, u"1"_s}, {Symbol::externaldrive, size}}));
}

TEST(ProjectRowPresenterTest, SizesUseDecimalUnits)
{
    EXPECT_TRUE(ProjectRowPresenter::size(1'500'000).contains(u"1.5"_s));
    EXPECT_TRUE(ProjectRowPresenter::size(1'500'000).contains(u"MB"_s));
}

TEST(ProjectsListPresenterTest, NoAccountSelectedComesFirst)
{
    const auto state = ProjectsListPresenter::emptyState(false, {}, true, "anything", true);
    EXPECT_EQ(state, (EmptyState{u"Select an account"_s, Symbol::folder, std::nullopt}));
}

TEST(ProjectsListPresenterTest, NothingIsLaidOverAListWithRows)
{
    EXPECT_EQ(ProjectsListPresenter::emptyState(true, twelveProjects(), false, "p1", false), std::nullopt);
}

TEST(ProjectsListPresenterTest, EmptyAccountShowsNoProjectsWhateverTheFilter)
{
    for (const bool problemsOnly : {false, true}) {
        for (const auto* search : {"", "x"})
            EXPECT_EQ(ProjectsListPresenter::emptyState(true, {}, true, search, problemsOnly),
                (EmptyState{u"No projects"_s, Symbol::folder, std::nullopt}));
    }
}

TEST(ProjectsListPresenterTest, ProblemsOnlyWithoutProblems)
{
    EXPECT_EQ(ProjectsListPresenter::emptyState(true, twelveProjects(), true, " \t", true),
        (EmptyState{u"No problems 🎉"_s, Symbol::checkmarkSeal, std::nullopt}));
}

TEST(ProjectsListPresenterTest, SearchWithoutMatchesQuotesTheTextAsTyped)
{
    EXPECT_EQ(ProjectsListPresenter::emptyState(true, twelveProjects(), true, " zz ", false),
        (EmptyState{
            u"Nothing matches “ zz ”"_s, Symbol::magnifyingglass, u"12 projects are hidden by this search."_s}));
    EXPECT_EQ(ProjectsListPresenter::emptyState(true, twelveProjects(), true, "zz", true),
        (EmptyState{u"Nothing matches “zz”"_s, Symbol::magnifyingglass,
            u"Two filters are on. Turn off “Problems only” to search all 12 projects."_s}));
}

TEST(ProjectsListPresenterTest, ToFixBadgeAndClearButton)
{
    EXPECT_EQ(ProjectsListPresenter::toFixBadge(0), std::nullopt);
    EXPECT_EQ(ProjectsListPresenter::toFixBadge(1), u"1 to fix"_s);
    EXPECT_EQ(ProjectsListPresenter::toFixBadge(1234), u"1234 to fix"_s);
    EXPECT_FALSE(ProjectsListPresenter::showsClearButton(""));
    EXPECT_TRUE(ProjectsListPresenter::showsClearButton("  "));
}

} // namespace
} // namespace threadhop
