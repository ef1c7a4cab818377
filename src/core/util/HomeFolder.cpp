#include "HomeFolder.h"

#include <mutex>
#include <optional>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace threadhop {
namespace {

std::mutex overrideMutex;
std::optional<std::filesystem::path> overrideHome;

std::filesystem::path homeFromUserDatabase()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr
        && result->pw_dir != nullptr && result->pw_dir[0] != '\0')
        return result->pw_dir;
    return "/";
}

} // namespace

std::filesystem::path HomeFolder::path()
{
    {
        std::lock_guard lock(overrideMutex);
        if (overrideHome)
            return *overrideHome;
    }
    static const std::filesystem::path home = homeFromUserDatabase();
    return home;
}

ScopedHomeOverride::ScopedHomeOverride(std::filesystem::path home)
{
    std::lock_guard lock(overrideMutex);
    m_hadPrevious = overrideHome.has_value();
    if (m_hadPrevious)
        m_previous = *overrideHome;
    overrideHome = std::move(home);
}

ScopedHomeOverride::~ScopedHomeOverride()
{
    std::lock_guard lock(overrideMutex);
    if (m_hadPrevious)
        overrideHome = m_previous;
    else
        overrideHome.reset();
}

} // namespace threadhop
