#pragma once

#include "theme/Symbols.h"

#include "core/migration/ConversationMigrator.h"
#include "core/models/ClaudeAccount.h"
#include "core/models/ProjectFolder.h"

#include <QColor>
#include <QString>

#include <chrono>
#include <optional>
#include <string>

class QPalette;

// What the migration sheet says and allows, from its inputs, its preview and its record.
namespace threadhop::MigrationSheetPresenter {

/// The engine's request for the project's folder under the account: never a rewrite of recorded
/// history, and always allowed into a destination that already holds conversations (the engine
/// then merges). Absent without an account.
std::optional<ConversationMigrator::Input> makeInput(const std::optional<ClaudeAccount>& account,
                                                     const ProjectFolder& project, const std::string& oldCwd,
                                                     const std::string& newCwd);

/// The backup stamp for `now`: local time as "yyyyMMdd-HHmmss".
std::string stamp(std::chrono::system_clock::time_point now);

/// "Run dry run" with the dry run on; "Move in" into a destination the preview found populated;
/// otherwise "Migrate", also before a preview has arrived.
QString migrateButtonTitle(bool dryRun, const std::optional<MigrationPreview>& preview);

/// Disabled without an account or once a preview says the migration is blocked; a preview that
/// has not arrived does not disable it.
bool primaryEnabled(bool hasAccount, const std::optional<MigrationPreview>& preview);

/// The account's label, or the project's account id when no account was found.
QString accountLabel(const std::optional<ClaudeAccount>& account, const ProjectFolder& project);

/// The old directory's color: the palette's text color while a directory exists there, red
/// otherwise (a plain file there counts as missing).
QColor fromColor(bool directoryExists, const QPalette& palette);

/// "<files> files · <occurrences> references to rewrite"; when the new directory is the recorded one
/// (a folder whose name no longer matches it), what the engine counts is left as it is, so for a
/// rename the line says that only the folder is renamed, and for a merge that the conversations only
/// move. A resync (the folder keeps its name) and a refused migration keep the counts.
QString previewCountsLine(const MigrationPreview& preview, bool sameDirectory);

/// What happens to the folders: a rename, no move at all, or a move into a populated destination.
QString actionLine(const MigrationPreview& preview);

/// How many conversations the populated destination holds and how many join them.
QString populatedHeadline(const MigrationPreview& preview);

/// The title of the report of a dry run or a migration.
struct ReportTitle {
    Symbol symbol;
    QString text;

    bool operator==(const ReportTitle&) const = default;
};
ReportTitle reportTitle(const MigrationRecord& record);

/// "<files> files · <occurrences> references."; for a migration that kept its directory and renamed
/// or merged the folder, as the preview's counts line, what happened instead. A dry run and a resync
/// keep the counts.
QString reportCountsLine(const MigrationRecord& record);

/// "Backup: " and the archive's path, when the record has one.
std::optional<QString> backupLine(const MigrationRecord& record);

/// The command that resumes the conversations in the new directory, for the sheet's account.
QString resumeCommand(const std::optional<ClaudeAccount>& account, const std::string& newCwd);

} // namespace threadhop::MigrationSheetPresenter
