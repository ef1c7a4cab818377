#include "ProjectFilter.h"

#include "core/util/text/UnicodeText.h"

namespace threadhop {

std::vector<ProjectFolder> ProjectFilter::apply(const std::vector<ProjectFolder>& projects, std::string_view search,
                                                bool problemsOnly)
{
    const std::string query = UnicodeText::lowercased(UnicodeText::trimBlanks(search));
    std::vector<ProjectFolder> kept;
    for (const auto& project : projects) {
        if (problemsOnly && !needsAttention(project.status))
            continue;
        if (!query.empty() && UnicodeText::lowercased(project.actualCwd.value_or("")).find(query) == std::string::npos
            && UnicodeText::lowercased(project.folderName).find(query) == std::string::npos)
            continue;
        kept.push_back(project);
    }
    return kept;
}

ProjectFilter::EmptyReason ProjectFilter::emptyReason(const std::vector<ProjectFolder>& all, std::string_view search,
                                                      bool problemsOnly)
{
    if (all.empty())
        return EmptyReason::noProjects;
    const bool blank = UnicodeText::trimBlanks(search).empty();
    if (problemsOnly)
        return blank ? EmptyReason::noProblems : EmptyReason::noMatchingProblems;
    return blank ? EmptyReason::noProjects : EmptyReason::noMatches;
}

} // namespace threadhop
