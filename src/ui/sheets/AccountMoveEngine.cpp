#include "AccountMoveEngine.h"

namespace threadhop {

AccountMoveEngine AccountMoveEngine::standard()
{
    return {.preview = [](const AccountMoveInput& input) { return AccountMover::preview(input); },
            .move = [](const AccountMoveInput& input,
                       const std::string& stamp) { return AccountMover::move(input, stamp); }};
}

} // namespace threadhop
