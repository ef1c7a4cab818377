#include "FileQueries.h"

namespace threadhop {

bool FileQueries::itemExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

} // namespace threadhop
