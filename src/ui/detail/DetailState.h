#pragma once

#include "MoveRequest.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace threadhop {

/// What the project detail view keeps between drawings for the project it shows: suggested new
/// places for a missing directory, the destination chosen so far and a note after a choice.
struct DetailState {
    std::vector<std::string> suggestions;
    std::string chosenNewPath; ///< empty: none chosen yet
    std::optional<QString> actionNote;

    bool operator==(const DetailState&) const = default;

    /// Existing directories a missing working directory may have moved to.
    using SuggestionSearch = std::function<std::vector<std::string>(std::string_view missingCwd)>;
    /// Asks the user for a folder; nothing when cancelled.
    using FolderQuestion = std::function<std::optional<std::string>()>;

    /// Starts over for `project`: nothing chosen, no note; suggestions only for a missing recorded
    /// directory, and the only suggestion, when there is exactly one, chosen at once.
    void reload(const ProjectFolder& project, const SuggestionSearch& search);

    /// "Move to…" and "Give it a folder…": asks for the folder (not at all for a project without a
    /// recorded directory), notes a choice of the project's own folder, and otherwise chooses the
    /// folder and requests the move.
    std::optional<MoveRequest> chooseDestination(const ProjectFolder& project, const FolderQuestion& ask);

    /// The request to move `project`'s conversations to `newCwd`, which the migration sheet judges;
    /// a note instead when no destination is chosen. Nothing for a project without a recorded directory.
    std::optional<MoveRequest> requestMove(const ProjectFolder& project, const std::string& newCwd);
};

} // namespace threadhop
