#include "core/discovery/ProjectFilter.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using Reason = ProjectFilter::EmptyReason;

ProjectFolder project(std::string folderName, std::optional<std::string> cwd, ResumeStatus status)
{
    return ProjectFolder{.id = "claude:" + folderName,
                         .accountId = "claude",
                         .folderName = std::move(folderName),
                         .actualCwd = std::move(cwd),
                         .status = status};
}

std::vector<std::string> names(const std::vector<ProjectFolder>& projects)
{
    std::vector<std::string> result;
    for (const auto& p : projects)
        result.push_back(p.folderName);
    return result;
}

const std::vector<ProjectFolder> projects{
    project("-Users-ana-site", "/Users/ana/site", ResumeStatus::ok),
    project("-Users-ana-gone", "/Users/ana/gone", ResumeStatus::targetMissing),
    project("-Users-ana-moved", "/Users/ana/elsewhere", ResumeStatus::cwdMismatch),
    project("-tmp-x", "/tmp/x", ResumeStatus::ephemeralLocation),
    project("-Users-ana-unknown", std::nullopt, ResumeStatus::noCwdRecorded),
    project("-Users-ana-Écoles", "/Users/ana/Écoles", ResumeStatus::ok),
};

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

TEST(ProjectFilterTest, EmptyReasons)
{
    EXPECT_EQ(ProjectFilter::emptyReason({}, "x", true), Reason::noProjects);
    EXPECT_EQ(ProjectFilter::emptyReason(projects, "", false), Reason::noProjects);
    EXPECT_EQ(ProjectFilter::emptyReason(projects, " ", true), Reason::noProblems);
    EXPECT_EQ(ProjectFilter::emptyReason(projects, "zzz", false), Reason::noMatches);
    EXPECT_EQ(ProjectFilter::emptyReason(projects, "zzz", true), Reason::noMatchingProblems);
}

} // namespace
} // namespace threadhop
