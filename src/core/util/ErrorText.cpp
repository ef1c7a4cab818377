#include "ErrorText.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace threadhop {
namespace {

// A full disk or quota says nothing of where: the folder being written to tells which disk.
std::string withFolder(const std::filesystem::filesystem_error& error)
{
    const std::filesystem::path& path = error.path1();
    std::error_code ignored;
    const auto folder = std::filesystem::is_directory(path, ignored) ? path : path.parent_path();
    return error.code().message() + (folder.empty() ? "" : " in " + folder.string());
}

} // namespace

std::string ErrorText::describe(const std::exception& error)
{
    if (const auto* fileSystem = dynamic_cast<const std::filesystem::filesystem_error*>(&error)) {
        const auto condition = fileSystem->code().default_error_condition();
        if (condition.category() == std::generic_category() && (condition.value() == ENOSPC || condition.value() == EDQUOT))
            return withFolder(*fileSystem);
    }
    if (const auto* system = dynamic_cast<const std::system_error*>(&error))
        return system->code().message();
    return error.what();
}

} // namespace threadhop
