#pragma once

#include "core/models/MigrationPreview.h"
#include "core/models/MigrationRecord.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// The parts of the migration sheet's body, laid out from what the presenter says. Each returns a new
// widget for the caller to place.
namespace threadhop::MigrationSheetContent {

/// The three rows "Account", "From" and "To" in small monospaced, selectable text. The "From" path's
/// color is asked of `fromExists` each time the grid is drawn.
QWidget* pathsGrid(const QString& account, const QString& from, const QString& to, std::function<bool()> fromExists);

/// Before a run: the preview (or "Computing preview…" until it arrives), the notes and the dry-run
/// toggle, which reports its changes to `dryRunToggled`. `sameDirectory`: the new directory is the
/// recorded one.
QWidget* idleBody(const std::optional<MigrationPreview>& preview, bool sameDirectory, const QString& resumeCommand,
                  bool dryRun, std::function<void(bool)> dryRunToggled);

/// While the engine works: "Migrating…" with a progress indicator, across the full width.
QWidget* running();

/// After a dry run or a migration: its title, counts, backup and, after a migration, how to resume.
QWidget* report(const MigrationRecord& record, const QString& resumeCommand);

/// After a failed run: the error's text in red.
QWidget* failure(const QString& text);

} // namespace threadhop::MigrationSheetContent
