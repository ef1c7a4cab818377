#include "DirectoryListing.h"

namespace threadhop {

bool DirectoryListing::isHiddenName(const std::filesystem::path& name)
{
    const auto& text = name.native();
    return !text.empty() && text.front() == '.';
}

std::vector<std::filesystem::directory_entry> DirectoryListing::entries(const std::filesystem::path& folder,
                                                                        Hidden hidden)
{
    std::vector<std::filesystem::directory_entry> result;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (hidden == Hidden::skip && isHiddenName(it->path().filename()))
            continue;
        result.push_back(*it);
    }
    if (error)
        result.clear();
    return result;
}

} // namespace threadhop
