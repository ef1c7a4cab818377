#include "DetailState.h"

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

bool hasRecordedDirectory(const ProjectFolder& project)
{
    return project.actualCwd && !project.actualCwd->empty();
}

} // namespace

void DetailState::reload(const ProjectFolder& project, const SuggestionSearch& search)
{
    chosenNewPath.clear();
    actionNote.reset();
    suggestions.clear();
    if (project.status != ResumeStatus::targetMissing || !project.actualCwd)
        return;
    suggestions = search(*project.actualCwd);
    if (suggestions.size() == 1)
        chosenNewPath = suggestions.front();
}

std::optional<MoveRequest> DetailState::chooseDestination(const ProjectFolder& project, const FolderQuestion& ask)
{
    actionNote.reset();
    if (!hasRecordedDirectory(project))
        return std::nullopt;
    const auto chosen = ask();
    if (!chosen)
        return std::nullopt;
    if (*chosen == *project.actualCwd) {
        actionNote = u"That is already this project's folder — nothing to move."_s;
        return std::nullopt;
    }
    chosenNewPath = *chosen;
    return requestMove(project, *chosen);
}

std::optional<MoveRequest> DetailState::requestMove(const ProjectFolder& project, const std::string& newCwd)
{
    if (!hasRecordedDirectory(project))
        return std::nullopt;
    if (newCwd.empty()) {
        actionNote = u"Choose a destination folder first."_s;
        return std::nullopt;
    }
    return MoveRequest{.id = Uuid::random(), .project = project, .oldCwd = *project.actualCwd, .newCwd = newCwd};
}

} // namespace threadhop
