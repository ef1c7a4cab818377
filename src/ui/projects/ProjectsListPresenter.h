#pragma once

#include "ui/widgets/EmptyState.h"

#include "core/models/ProjectFolder.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The projects list's rules beyond its rows: the empty states, the "to fix" badge, the clear button.
namespace threadhop::ProjectsListPresenter {

/// What to lay over the list, or nothing while it shows rows. `all` is the selected account's
/// unfiltered list; the texts quote the search exactly as typed. "No projects" says why the
/// account's projects folder could not be read, when it could not (`unreadableFolder`).
std::optional<EmptyState> emptyState(bool accountSelected, const std::vector<ProjectFolder>& all, bool filteredIsEmpty,
                                     std::string_view search, bool problemsOnly,
                                     const std::optional<std::string>& unreadableFolder);

/// "%lld to fix" with the problem count of every account, or nothing for none.
std::optional<QString> toFixBadge(std::int64_t totalProblems);

/// The clear button shows while the search field holds anything, blanks included.
bool showsClearButton(std::string_view search);

} // namespace threadhop::ProjectsListPresenter
