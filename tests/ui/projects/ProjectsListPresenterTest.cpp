#include "ui/projects/ProjectsListPresenter.h"
#include "ui/projects/ProjectRowPresenter.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop::testing {
namespace {

ProjectFolder project(std::string folderName, std::optional<std::string> cwd = std::nullopt)
{
    return {.id = "claude:" + folderName,
            .accountId = "claude",
            .folderName = std::move(folderName),
            .actualCwd = std::move(cwd)};
}

TEST(ProjectRowPresenterTest, DisplayPathPrefersARecordedDirectoryAndTheDetailLineCountsWhatThereIs)
{
    const std::pair<ProjectFolder, std::string> cases[]{
        {project("-x", "/Users/ana/my_app"), "/Users/ana/my_app"},
        {project("-Users-ana-my-app"), "/Users/ana/my/app"},
        // An empty recorded directory counts as none.
        {project("-Users-ana-my-app", ""), "/Users/ana/my/app"},
        {project("plain-name"), "plain-name"},
        {project("-Users-ana-Café"), "/Users/ana/Café"},
    };
    for (const auto& [folder, expected] : cases)
        EXPECT_EQ(ProjectRowPresenter::displayPath(folder), expected) << folder.folderName;

    ProjectFolder folder = project("-p");
    folder.sessionCount = 7;
    folder.totalSizeBytes = 1'500'000;
    const auto size = ProjectRowPresenter::size(1'500'000);
    EXPECT_TRUE(size.contains(u"1.5"_s) && size.contains(u"MB"_s)) << size.toStdString();
    using Item = ProjectRowPresenter::DetailItem;
    EXPECT_EQ(ProjectRowPresenter::detailItems(folder),
              (std::vector<Item>{{Symbol::bubbleLeft, u"7"_s}, {Symbol::externaldrive, size}}));
    folder.subagentCount = 1;
    EXPECT_EQ(
        ProjectRowPresenter::detailItems(folder),
        (std::vector<Item>{{Symbol::bubbleLeft, u"7"_s}, {Symbol::person2, u"1"_s}, {Symbol::externaldrive, size}}));
}

TEST(ProjectsListPresenterTest, EmptyStatesInTheirOrderOfPrecedence)
{
    std::vector<ProjectFolder> twelve;
    for (int i = 0; i < 12; ++i)
        twelve.push_back(project("-p" + std::to_string(i), "/p" + std::to_string(i)));
    const EmptyState noProjects{u"No projects"_s, Symbol::folder, std::nullopt};
    // account selected, its projects, filtered list empty, search, problems only → state
    const std::tuple<bool, std::vector<ProjectFolder>, bool, std::string, bool, std::optional<EmptyState>> cases[]{
        {false, {}, true, "anything", true, EmptyState{u"Select an account"_s, Symbol::folder, std::nullopt}},
        {true, twelve, false, "p1", false, std::nullopt},
        {true, {}, true, "", false, noProjects},
        {true, {}, true, "x", true, noProjects},
        {true, twelve, true, " \t", true, EmptyState{u"No problems 🎉"_s, Symbol::checkmarkSeal, std::nullopt}},
        {true, twelve, true, " zz ", false,
         EmptyState{u"Nothing matches “ zz ”"_s, Symbol::magnifyingglass, u"12 projects are hidden by this search."_s}},
        {true, twelve, true, "zz", true,
         EmptyState{u"Nothing matches “zz”"_s, Symbol::magnifyingglass,
                    u"Two filters are on. Turn off “Problems only” to search all 12 projects."_s}},
    };
    for (const auto& [accountSelected, all, filteredIsEmpty, search, problemsOnly, expected] : cases) {
        EXPECT_EQ(ProjectsListPresenter::emptyState(accountSelected, all, filteredIsEmpty, search, problemsOnly,
                                                    std::nullopt),
                  expected)
            << "search “" << search << "”, problems only " << problemsOnly;
    }
    // A projects folder that cannot be read is no empty one: the state says which and why.
    const std::string unreadable = "Threadhop cannot read /h/.claude/projects: Permission denied.";
    EXPECT_EQ(ProjectsListPresenter::emptyState(true, {}, true, "x", true, unreadable),
              (EmptyState{u"No projects"_s, Symbol::folder, QString::fromStdString(unreadable)}));
}

} // namespace
} // namespace threadhop::testing
