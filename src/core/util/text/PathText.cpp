#include "PathText.h"

#include "core/util/fs/HomeFolder.h"

#include <vector>

namespace threadhop {

std::string PathText::standardized(std::string_view path)
{
    if (path.empty())
        return {};
    const bool absolute = path.front() == '/';
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string_view::npos ? path.size() : slash;
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            result += '/';
        result += parts[i];
    }
    if (result.empty())
        return ".";
    return result;
}

std::string_view PathText::lastComponent(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/")
        return path;
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool PathText::isAtOrBelow(std::string_view path, std::string_view directory)
{
    if (!path.starts_with(directory))
        return false;
    return path.size() == directory.size() || path[directory.size()] == '/';
}

std::string PathText::expandTilde(std::string_view path)
{
    if (!path.starts_with('~'))
        return std::string(path);
    return HomeFolder::path().string() + std::string(path.substr(1));
}

bool PathText::isPlainName(std::string_view name)
{
    constexpr std::string_view forbidden("/\0", 2);
    return !name.empty() && name != "." && name != ".." && name.find_first_of(forbidden) == std::string_view::npos;
}

bool PathText::isPlainRelativePath(std::string_view path)
{
    for (;;) {
        const auto slash = path.find('/');
        if (!isPlainName(path.substr(0, slash)))
            return false;
        if (slash == std::string_view::npos)
            return true;
        path.remove_prefix(slash + 1);
    }
}

} // namespace threadhop
