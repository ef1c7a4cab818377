#pragma once

#include <string_view>

namespace threadhop {

/// The kind of copy an account move makes: a clone keeps the session id, a fork gets a fresh
/// session id and fresh identity values.
enum class MoveMode { clone, fork };

/// "clone" or "fork", as the history file and the moves note write it.
inline std::string_view toString(MoveMode mode)
{
    return mode == MoveMode::clone ? "clone" : "fork";
}

} // namespace threadhop
