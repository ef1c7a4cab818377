#include "AccountLock.h"

#include "core/util/fs/AppPaths.h"
#include "core/util/text/PathText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

fs::path lockFolder()
{
    return AppPaths::supportDir() / "locks";
}

// The folder as the file system finds it, so that a linked ~/.claude and its target share a lock.
std::string lockKey(const fs::path& projectsFolder)
{
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(projectsFolder, error);
    return PathText::standardized(error ? projectsFolder.native() : resolved.native());
}

// FNV-1a: a short, stable file name for a path of any length.
fs::path lockFile(const std::string& key)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char byte : key) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.lock", static_cast<unsigned long long>(hash));
    return lockFolder() / name;
}

std::optional<std::vector<FileLock>> takeAll(const std::vector<fs::path>& projectsFolders)
{
    std::vector<fs::path> files;
    for (const auto& folder : projectsFolders)
        files.push_back(lockFile(lockKey(folder)));
    // One order for every holder; a folder named twice is locked once.
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    std::error_code ignored;
    fs::create_directories(lockFolder(), ignored);
    std::vector<FileLock> locks;
    for (const auto& file : files) {
        auto taken = FileLock::tryTake(file, FileLock::File::stays);
        if (!taken)
            return std::nullopt;
        locks.push_back(std::move(*taken));
    }
    return locks;
}

} // namespace

const std::string AccountLock::heldElsewhere = "Another Threadhop window is changing this account's conversations.";

AccountLock::AccountLock(const std::vector<fs::path>& projectsFolders)
{
    std::optional<std::vector<FileLock>> taken;
    try {
        taken = takeAll(projectsFolders);
    } catch (const fs::filesystem_error& error) {
        throw Refusal("Threadhop could not lock this account's conversations (" + error.code().message() + " in "
                      + lockFolder().string() + "), so it changed nothing.");
    }
    if (!taken)
        throw Refusal(heldElsewhere);
    m_locks = std::move(*taken);
}

std::optional<AccountLock> AccountLock::tryTake(const std::vector<fs::path>& projectsFolders)
{
    auto taken = takeAll(projectsFolders);
    if (!taken)
        return std::nullopt;
    return AccountLock(std::move(*taken));
}

} // namespace threadhop
