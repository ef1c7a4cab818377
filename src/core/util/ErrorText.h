#pragma once

#include <exception>
#include <string>

namespace threadhop::ErrorText {

/// The operating system's own wording for a file-system or system error (its strerror text,
/// without the library's decoration), followed for a full disk or quota by " in " and the folder
/// being written to; for any other exception, its message.
std::string describe(const std::exception& error);

} // namespace threadhop::ErrorText
