#include "ProjectsListPresenter.h"

#include "ui/widgets/QtText.h"

#include "core/discovery/ProjectFilter.h"

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

QString nothingMatches(std::string_view search)
{
    return u"Nothing matches “"_s + toQString(search) + u"”"_s;
}

} // namespace

std::optional<EmptyState> ProjectsListPresenter::emptyState(bool accountSelected, const std::vector<ProjectFolder>& all,
                                                            bool filteredIsEmpty, std::string_view search,
                                                            bool problemsOnly,
                                                            const std::optional<std::string>& unreadableFolder)
{
    if (!accountSelected)
        return EmptyState{u"Select an account"_s, Symbol::folder, std::nullopt};
    if (!filteredIsEmpty)
        return std::nullopt;
    const QString count = QString::number(all.size());
    switch (ProjectFilter::emptyReason(all, search, problemsOnly)) {
    case ProjectFilter::EmptyReason::noProjects:
        return EmptyState{u"No projects"_s, Symbol::folder,
                          unreadableFolder ? std::optional(toQString(*unreadableFolder)) : std::nullopt};
    case ProjectFilter::EmptyReason::noProblems:
        return EmptyState{u"No problems 🎉"_s, Symbol::checkmarkSeal, std::nullopt};
    case ProjectFilter::EmptyReason::noMatches:
        return EmptyState{nothingMatches(search), Symbol::magnifyingglass,
                          count + u" projects are hidden by this search."_s};
    case ProjectFilter::EmptyReason::noMatchingProblems:
        return EmptyState{nothingMatches(search), Symbol::magnifyingglass,
                          u"Two filters are on. Turn off “Problems only” to search all "_s + count + u" projects."_s};
    }
    return std::nullopt;
}

std::optional<QString> ProjectsListPresenter::toFixBadge(std::int64_t totalProblems)
{
    if (totalProblems < 1)
        return std::nullopt;
    return QString::number(totalProblems) + u" to fix"_s;
}

bool ProjectsListPresenter::showsClearButton(std::string_view search)
{
    return !search.empty();
}

} // namespace threadhop
