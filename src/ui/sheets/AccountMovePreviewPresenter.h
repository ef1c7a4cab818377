#pragma once

#include "theme/Symbols.h"

#include "core/accountmove/AccountMovePreview.h"
#include "core/models/ClaudeAccount.h"
#include "core/models/MoveMode.h"

#include <QColor>
#include <QString>

#include <optional>
#include <vector>

class QPalette;

// What the account-move sheet says about a preview: the cost of resuming the copy, what the kind of
// copy does, and what to look out for.
namespace threadhop::AccountMovePreviewPresenter {

/// The three lines of the cost estimate.
struct Cost {
    QString estimate; ///< the tokens resuming re-sends, "**" and all, never read as markup
    QString basis;    ///< whether the count was measured or estimated from the size
    QString cacheNote;

    bool operator==(const Cost&) const = default;
};
/// The estimate names the target's id, or "the destination" without one.
Cost cost(const AccountMovePreview& preview, const std::optional<ClaudeAccount>& target);

/// What a fork or a clone does to the conversation's identity.
QString modeSection(MoveMode mode);

/// One line of the warnings, numbered 1 to 7 in the order they are always shown.
struct Warning {
    int number;
    Symbol symbol;
    QString text;
    std::optional<QColor> color; ///< absent: the palette's text color
    QString toolTip;

    bool operator==(const Warning&) const = default;
};
/// The files that travel and what stays behind in the source account, always; and whichever of
/// the running session, the drifted directories, the call in flight, the unanswered calls and the
/// collision the preview found.
std::vector<Warning> warnings(const AccountMovePreview& preview, const ClaudeAccount& source, const QPalette& palette);

} // namespace threadhop::AccountMovePreviewPresenter
