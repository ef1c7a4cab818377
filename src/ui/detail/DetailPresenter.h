#pragma once

#include "theme/Symbols.h"

#include "core/models/ClaudeAccount.h"
#include "core/models/ProjectFolder.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

// What the project detail view shows for a project and what it allows.
namespace threadhop::DetailPresenter {

/// The one status panel below the information grid.
enum class Panel {
    migration,         ///< the two statuses that need attention
    temporaryLocation, ///< recorded in a folder the system throws away
    resumeHint,        ///< everything else
};
Panel panelFor(ResumeStatus status);

/// "Resume OK", "Folder mismatch", "Location missing", …
QString statusLabel(ResumeStatus status);

/// True only when the recorded directory is present, not empty, and a directory (not a file)
/// exists there; a failed check counts as none. The action bar is shown only then.
bool pathExists(const ProjectFolder& project);

/// "Move to…", and any request to move, need a recorded directory.
bool canMove(const ProjectFolder& project);

/// One row of the information grid: `value` as shown, on one line, and for a copyable value what its
/// copy button copies (the value itself) and says.
struct InfoRow {
    struct Copy {
        QString help;
        QString value;

        bool operator==(const Copy&) const = default;
    };
    QString label;
    QString value;
    std::optional<Copy> copy;

    bool operator==(const InfoRow&) const = default;
};
std::vector<InfoRow> infoRows(const ProjectFolder& project);

/// "Migrate conversations…" needs a chosen destination and a recorded directory.
bool migrateEnabled(const ProjectFolder& project, const std::string& chosenNewPath);

/// The filled marker for the chosen suggestion, the empty one for the others.
Symbol suggestionMarker(const std::string& suggestion, const std::string& chosenNewPath);

/// The one suggestion the Tab key stops at: the chosen one, or the first while none is chosen.
std::size_t suggestionTabStop(const std::vector<std::string>& suggestions, const std::string& chosenNewPath);

/// Why the migration panel is shown: the recorded directory is gone, or (for a folder mismatch) the
/// folder's name no longer matches the directory its conversations record.
QString migrationExplanation(ResumeStatus status);

/// The resume hint's command, for a project with a recorded directory (even an empty one) and the
/// project's account in `accounts`.
std::optional<QString> resumeCommand(const ProjectFolder& project, const std::vector<ClaudeAccount>& accounts);

} // namespace threadhop::DetailPresenter
