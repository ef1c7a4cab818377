#pragma once

#include "core/accountmove/AccountMover.h"

#include <functional>
#include <string>

namespace threadhop {

/// The engine calls the account-move sheet makes, each on the thread pool. Tests replace them.
struct AccountMoveEngine {
    std::function<AccountMovePreview(const AccountMoveInput&)> preview;
    std::function<MigrationRecord(const AccountMoveInput&, const std::string& stamp)> move;

    /// AccountMover's preview and move.
    static AccountMoveEngine standard()
    {
        return {.preview = [](const AccountMoveInput& input) { return AccountMover::preview(input); },
                .move = [](const AccountMoveInput& input,
                           const std::string& stamp) { return AccountMover::move(input, stamp); }};
    }
};

} // namespace threadhop
