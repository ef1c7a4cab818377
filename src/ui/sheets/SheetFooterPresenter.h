#pragma once

namespace threadhop {

/// Where a sheet's one operation stands, as far as its footer and its closing go.
enum class SheetStage { idle, running, finished };

namespace SheetFooterPresenter {

/// Which footer buttons a sheet shows.
struct Buttons {
    bool reveal = false; ///< "Show backup in …", at the leading edge
    bool cancel = false;
    bool primary = false;
    bool close = false;

    bool operator==(const Buttons&) const = default;
};

/// "Cancel" and the primary button while idle, nothing while running, "Close" after a run, and the
/// backup button after a run that left a backup.
inline Buttons buttons(SheetStage stage, bool hasBackup)
{
    switch (stage) {
    case SheetStage::idle:
        return {.cancel = true, .primary = true};
    case SheetStage::running:
        return {};
    case SheetStage::finished:
        return {.reveal = hasBackup, .close = true};
    }
    return {};
}

} // namespace SheetFooterPresenter
} // namespace threadhop
