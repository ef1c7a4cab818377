#include "HomeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace threadhop {
namespace {

std::mutex overrideMutex;
std::optional<std::filesystem::path> overrideHome;
bool userEntryMissing = false;

// The entry's home folder; nothing when the database has no entry for the user.
std::optional<std::filesystem::path> homeFromUserDatabase()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    int error = 0;
    while ((error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result)) == ERANGE)
        buffer.resize(buffer.size() * 2);
    // Besides a plain "none", these are the ways the lookup may say that there is no such user.
    if (result == nullptr && (error == 0 || error == ENOENT || error == ESRCH || error == EBADF || error == EPERM))
        return std::nullopt;
    if (result == nullptr || result->pw_dir == nullptr || result->pw_dir[0] == '\0')
        return "/";
    return result->pw_dir;
}

std::filesystem::path resolveHome(std::optional<std::filesystem::path> fromUserDatabase)
{
    if (fromUserDatabase)
        return *fromUserDatabase;
    const char* variable = std::getenv("HOME");
    return variable != nullptr && variable[0] == '/' ? variable : "/";
}

} // namespace

std::filesystem::path HomeFolder::path()
{
    {
        std::lock_guard lock(overrideMutex);
        if (overrideHome)
            return *overrideHome;
        if (userEntryMissing)
            return resolveHome(std::nullopt);
    }
    static const std::filesystem::path home = resolveHome(homeFromUserDatabase());
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

ScopedMissingUserEntry::ScopedMissingUserEntry()
{
    std::lock_guard lock(overrideMutex);
    m_wasMissing = userEntryMissing;
    userEntryMissing = true;
}

ScopedMissingUserEntry::~ScopedMissingUserEntry()
{
    std::lock_guard lock(overrideMutex);
    userEntryMissing = m_wasMissing;
}

} // namespace threadhop
