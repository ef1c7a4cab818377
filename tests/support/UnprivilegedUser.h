#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <sys/types.h>

namespace threadhop::testing {

/// The user that permission checks run as: "nobody" with the group "nogroup".
inline constexpr uid_t unprivilegedUserId = 65534;

/// Runs `check` in a forked child as a user whom permission bits stop, and returns what it returned,
/// for the test to compare. As root (CI runs as root, and root reads and writes whatever the bits
/// say) the child switches to the unprivileged user, and `home`, with all it holds, is handed to
/// that user first, so that the child reaches and owns it as a user owns their home; any other user
/// runs the check as itself. The test fails, and nothing is returned, when the child cannot switch,
/// throws or dies.
std::optional<std::string> asUnprivilegedUser(const std::filesystem::path& home,
                                              const std::function<std::string()>& check);

} // namespace threadhop::testing
