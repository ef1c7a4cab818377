#pragma once

#include <optional>
#include <string>

namespace threadhop {

/// Who is signed in to an account, as read from its identity file.
struct AccountIdentity {
    std::string emailAddress; ///< never empty
    std::optional<std::string> accountUuid;
    std::optional<std::string> organizationName;
    std::optional<std::string> organizationType;
    std::string sourcePath; ///< the identity file it was read from

    bool operator==(const AccountIdentity&) const = default;
};

} // namespace threadhop
