#include "MoveDetector.h"

#include "core/util/fs/DirectoryListing.h"
#include "core/util/text/PathText.h"

#include <filesystem>
#include <set>

namespace threadhop {

std::vector<std::string> MoveDetector::suggestions(std::string_view cwd, std::span<const std::string_view> roots)
{
    const std::string_view name = PathText::lastComponent(cwd);
    if (name.empty() || name == "/" || cwd == "/")
        return {};
    const std::string missing = PathText::standardized(cwd);
    std::vector<std::string> found;
    std::set<std::string> taken;
    const auto consider = [&](std::string candidate) {
        std::error_code error;
        if (candidate == cwd || candidate == missing || taken.contains(candidate)
            || !std::filesystem::is_directory(candidate, error))
            return;
        taken.insert(candidate);
        found.push_back(std::move(candidate));
    };
    for (const std::string_view root : roots) {
        const std::string expanded = PathText::expandTilde(root);
        consider(PathText::standardized(expanded + "/" + std::string(name)));
        for (const auto& entry :
             DirectoryListing::entries(expanded, DirectoryListing::Hidden::skip, DirectoryListing::Unlistable::empty)) {
            if (entry.path().filename() == name)
                consider(PathText::standardized(entry.path().string()));
        }
    }
    return found;
}

} // namespace threadhop
