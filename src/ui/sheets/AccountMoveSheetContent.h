#pragma once

#include "AccountMovePreviewPresenter.h"
#include "AccountMoveSheetPresenter.h"

#include <QString>

#include <vector>

class QComboBox;
class QWidget;

// The parts of the account-move sheet's body, laid out from what the presenters say. Each returns
// a new widget for the caller to place.
namespace threadhop::AccountMoveSheetContent {

/// The rows "Session", "From", "To" (the destination picker) and "Directory", in small monospaced,
/// selectable text.
QWidget* accountsGrid(const QString& session, const AccountMoveSheetPresenter::AccountLabel& from, QComboBox* picker,
                      const QString& directory);

/// "Reading the conversation…" with a progress indicator, until a preview arrives.
QWidget* reading();

/// A preview that failed: its error's text in red, in place of the preview.
QWidget* previewError(const QString& text);

/// A preview: the cost estimate, what the kind of copy does, and the warnings.
QWidget* preview(const AccountMovePreviewPresenter::Cost& cost, const QString& modeSection,
                 const std::vector<AccountMovePreviewPresenter::Warning>& warnings);

/// While the engine works: "Moving…" with a progress indicator, across the full width.
QWidget* running();

/// After a move: what was done, the copy's id and how to resume it, the moves note and the backup.
QWidget* report(const AccountMoveSheetPresenter::Report& report);

/// After a failed move: the error's text in red.
QWidget* failure(const QString& text);

} // namespace threadhop::AccountMoveSheetContent
