#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace threadhop {

/// A conversation open in a running Claude Code process.
struct LiveSession {
    std::int32_t pid = 0;
    std::string sessionId; ///< never empty
    std::optional<std::string> cwd;
    std::optional<std::string> status;
    std::optional<std::string> name;
    std::optional<double> startedAtMillis;
    std::optional<std::string> socketPath;

    bool operator==(const LiveSession&) const = default;
};

} // namespace threadhop
