#include "core/discovery/ProjectFilter.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

std::vector<std::string> names(const std::vector<ProjectFolder>& projects)
{
    std::vector<std::string> result;
    for (const auto& p : projects)
        result.push_back(p.folderName);
    return result;
}

// Filtering reads only the folder name, the recorded directory and the status.
const std::vector<ProjectFolder> projects{
    {.folderName = "-Users-ana-site", .actualCwd = "/Users/ana/site", .status = ResumeStatus::ok},
    {.folderName = "-Users-ana-gone", .actualCwd = "/Users/ana/gone", .status = ResumeStatus::targetMissing},
    {.folderName = "-Users-ana-moved", .actualCwd = "/Users/ana/elsewhere", .status = ResumeStatus::cwdMismatch},
    {.folderName = "-tmp-x", .actualCwd = "/tmp/x", .status = ResumeStatus::ephemeralLocation},
    {.folderName = "-Users-ana-unknown", .status = ResumeStatus::noCwdRecorded},
    {.folderName = "-Users-ana-Écoles", .actualCwd = "/Users/ana/Écoles", .status = ResumeStatus::ok},
};

// Why a filtered list is empty is read through its texts, in ProjectsListPresenterTest.
TEST(ProjectFilterTest, SearchMatchesDirectoryOrFolderNameIgnoringCaseAndBlanks)
{
    EXPECT_EQ(names(ProjectFilter::apply(projects, " \tSITE\u00A0 ", false)),
              std::vector<std::string>{"-Users-ana-site"});
    EXPECT_EQ(names(ProjectFilter::apply(projects, "-users-ana-unk", false)),
              std::vector<std::string>{"-Users-ana-unknown"});
    EXPECT_EQ(names(ProjectFilter::apply(projects, "écoles", false)), std::vector<std::string>{"-Users-ana-Écoles"});
    EXPECT_EQ(ProjectFilter::apply(projects, "   ", false).size(), projects.size());
}

TEST(ProjectFilterTest, ProblemsOnlyKeepsMissingAndMismatchedInOrder)
{
    EXPECT_EQ(names(ProjectFilter::apply(projects, "", true)),
              (std::vector<std::string>{"-Users-ana-gone", "-Users-ana-moved"}));
    EXPECT_EQ(names(ProjectFilter::apply(projects, "elsewhere", true)), std::vector<std::string>{"-Users-ana-moved"});
}

} // namespace
} // namespace threadhop
