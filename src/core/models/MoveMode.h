#pragma once

#include "StringValued.h"

namespace threadhop {

/// The kind of copy an account move makes: a clone keeps the session id, a fork gets a fresh
/// session id and fresh identity values.
enum class MoveMode { clone, fork };

/// Every case, in case order.
inline constexpr std::array<MoveMode, 2> allMoveModes{MoveMode::clone, MoveMode::fork};

/// "clone" and "fork", as the history file and the moves note write them.
template <>
struct StringValues<MoveMode> {
    static constexpr std::array<std::string_view, 2> values{"clone", "fork"};
};

} // namespace threadhop
