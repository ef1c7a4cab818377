#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace threadhop::MoveDetector {

/// Where a missing project directory is looked for, in order.
inline constexpr std::array<std::string_view, 9> defaultRoots{
    "~", "~/work", "~/orlo-apps", "~/Desktop", "~/Documents", "~/Developer", "~/Projects", "~/src", "~/code"};

/// Existing directories bearing the missing directory's last component, one level below each
/// root: root order, the direct probe before the listing, each path once, never `cwd` itself.
std::vector<std::string> suggestions(std::string_view cwd, std::span<const std::string_view> roots);

} // namespace threadhop::MoveDetector
