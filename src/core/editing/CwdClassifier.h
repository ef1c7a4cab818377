#pragma once

#include "core/models/CwdClass.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace simdjson::dom {
class object;
}

// Decides the class of one occurrence of a working-directory-like path in a transcript line.
namespace threadhop::CwdClassifier {

/// Line types whose content is Claude Code's record of file state, never rewritten.
inline constexpr std::array<std::string_view, 2> externalStateLineTypes{"file-history-snapshot", "file-history-delta"};

/// What classification needs of the keys leading from a line's root to a value (an object
/// member adds its key, an array element adds "[]").
struct KeyPath {
    bool empty = true;
    bool underExternalState = false; ///< some key is "snapshot" or "trackedFileBackups"
    bool endsInCwd = false;          ///< the last key is "cwd"

    bool operator==(const KeyPath&) const = default;

    // Inline: the walk of every transcript line calls these for every member and element.
    KeyPath member(std::string_view key) const
    {
        return {.empty = false,
                .underExternalState = underExternalState || key == "snapshot" || key == "trackedFileBackups",
                .endsInCwd = key == "cwd"};
    }
    KeyPath element() const { return {.empty = false, .underExternalState = underExternalState, .endsInCwd = false}; }
    static KeyPath of(const std::vector<std::string>& keys);
};

/// externalState under a snapshot; history where the value is not a "cwd" member; sessionCwd
/// when the value is `launchCwd` or below it; driftedCwd otherwise.
CwdClass classify(const KeyPath& path, std::string_view value, std::string_view launchCwd);
CwdClass classify(const std::vector<std::string>& path, std::string_view value, std::string_view launchCwd);

/// True for a line whose "type" is an external-state type, or that has a top-level "snapshot".
bool isExternalStateLine(const simdjson::dom::object& line);

} // namespace threadhop::CwdClassifier
