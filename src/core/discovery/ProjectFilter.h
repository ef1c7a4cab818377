#pragma once

#include "core/models/ProjectFolder.h"

#include <string_view>
#include <vector>

// Narrows an account's projects by a search text and the "Problems only" switch.
namespace threadhop::ProjectFilter {

/// Why a filtered list came out empty.
enum class EmptyReason { noProjects, noProblems, noMatches, noMatchingProblems };

/// The projects kept, in input order: problems only when asked, then those whose recorded
/// directory or folder name contains the search text (blanks trimmed, case ignored).
std::vector<ProjectFolder> apply(const std::vector<ProjectFolder>& projects, std::string_view search,
                                 bool problemsOnly);

/// Why `apply` returned nothing; `all` is the unfiltered list.
EmptyReason emptyReason(const std::vector<ProjectFolder>& all, std::string_view search, bool problemsOnly);

} // namespace threadhop::ProjectFilter
