#pragma once

#include <string_view>

namespace threadhop {

/// The kind of copy an account move makes: a clone keeps the session id, a fork gets a fresh
/// session id and fresh identity values.
enum class MoveMode { clone, fork };

/// "clone" or "fork", as the history file and the moves note write it.
std::string_view toString(MoveMode mode);

} // namespace threadhop
