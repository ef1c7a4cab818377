#pragma once

#include "EnumText.h"

#include <array>
#include <optional>
#include <string_view>

namespace threadhop {

/// The kind of copy an account move makes: a clone keeps the session id, a fork gets a fresh
/// session id and fresh identity values.
enum class MoveMode { clone, fork };

/// Every case, in case order.
inline constexpr std::array<MoveMode, 2> allMoveModes{MoveMode::clone, MoveMode::fork};

std::string_view toString(MoveMode mode);
/// "clone" or "fork"; anything else gives nothing.
template <>
std::optional<MoveMode> fromString<MoveMode>(std::string_view text);

} // namespace threadhop
