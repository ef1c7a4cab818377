#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace threadhop::testing {

/// Runs `call` in a forked child as a user without privileges and returns the text it returns, or
/// the message of what it throws. Root writes into a read-only folder: a root test hands `owned`
/// (with everything below it) to the unprivileged user 65534, whom the child becomes; any other
/// user is bound by permission bits already and stays who it is.
std::string asUnprivilegedUser(const std::filesystem::path& owned, const std::function<std::string()>& call);

} // namespace threadhop::testing
