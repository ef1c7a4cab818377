#include "UserError.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

bool isPermissionFault(const std::error_code& code)
{
    return code.category() == std::generic_category()
        && (code.value() == EACCES || code.value() == EPERM || code.value() == EROFS);
}

// A move needs to write both folders, and a folder moving to another one its own ".." entry: the
// first of them this process may not write is the one that refused.
fs::path refusingFolder(const fs::path& from, const fs::path& to)
{
    std::vector<fs::path> candidates{to.parent_path(), from.parent_path()};
    std::error_code ignored;
    if (fs::is_directory(fs::symlink_status(from, ignored)))
        candidates.push_back(from);
    for (const auto& folder : candidates) {
        if (!folder.empty() && ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
            return folder;
    }
    return {};
}

// The system's word says nothing of where; the folder tells, never a temporary file's name.
std::string withFolder(const fs::filesystem_error& error)
{
    const fs::path& path = error.path1();
    std::error_code ignored;
    fs::path folder = fs::is_directory(path, ignored) ? path : path.parent_path();
    if (!error.path2().empty() && isPermissionFault(error.code())) {
        if (auto refused = refusingFolder(path, error.path2()); !refused.empty())
            folder = std::move(refused);
    }
    return error.code().message() + (folder.empty() ? "" : " in " + folder.string());
}

} // namespace

UserError::UserError(std::string description, std::string text, std::int64_t count, std::vector<std::string> names)
    : m_description(std::move(description)), m_text(std::move(text)), m_count(count), m_names(std::move(names))
{
}

std::string UserError::describe(const std::exception& error)
{
    if (const auto* fileSystem = dynamic_cast<const std::filesystem::filesystem_error*>(&error))
        return withFolder(*fileSystem);
    if (const auto* system = dynamic_cast<const std::system_error*>(&error))
        return system->code().message();
    return error.what();
}

std::string UserError::asSentence(std::string text)
{
    if (!text.empty() && !text.ends_with('.') && !text.ends_with('!') && !text.ends_with('?'))
        text += '.';
    return text;
}

std::string UserError::listed(const std::vector<std::string>& names)
{
    std::string joined;
    for (const auto& name : names) {
        if (!joined.empty())
            joined += ", ";
        joined += name;
    }
    return joined;
}

} // namespace threadhop
