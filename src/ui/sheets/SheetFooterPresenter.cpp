#include "SheetFooterPresenter.h"

namespace threadhop {

SheetFooterPresenter::Buttons SheetFooterPresenter::buttons(SheetStage stage, bool hasBackup)
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

} // namespace threadhop
