#include "UserError.h"

#include <filesystem>
#include <system_error>

namespace threadhop {
namespace {

// The system's word says nothing of where; the folder tells, never a temporary file's name.
std::string withFolder(const std::filesystem::filesystem_error& error)
{
    const std::filesystem::path& path = error.path1();
    std::error_code ignored;
    const auto folder = std::filesystem::is_directory(path, ignored) ? path : path.parent_path();
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
