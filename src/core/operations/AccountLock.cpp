#include "AccountLock.h"

#include "core/util/fs/AppPaths.h"
#include "core/util/text/PathText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

// The folder as the file system finds it, so that a linked ~/.claude and its target share a lock.
std::string lockKey(const fs::path& projectsFolder)
{
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(projectsFolder, error);
    return PathText::standardized(error ? projectsFolder.native() : resolved.native());
}

// FNV-1a: a short, stable file name for a path of any length.
std::string lockName(const std::string& key)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char byte : key) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

constexpr std::string_view accountSuffix = ".lock";
// Held by the recovery alone, and only while it holds the account's lock too.
constexpr std::string_view recoverySuffix = ".recovery.lock";

AccountLock::Refusal cannotLock(const fs::filesystem_error& error)
{
    return AccountLock::Refusal("Threadhop could not lock this account's conversations (" + UserError::describe(error)
                                + "), so it changed nothing.");
}

bool recoveryHolds(const fs::path& recoveryFile)
{
    try {
        return !FileLock::tryTake(recoveryFile, FileLock::File::stays);
    } catch (const fs::filesystem_error&) {
        return false; // it never held what cannot even be opened
    }
}

// Who holds a lock that could not be taken.
enum class Busy { no, elsewhere, byRecovery };

// Every lock of the folders, or none when one is held elsewhere (`busy` says by whom). Throws
// std::filesystem::filesystem_error when a lock file cannot be made.
std::vector<FileLock> takeAll(const std::vector<fs::path>& projectsFolders, AccountLock::Holder holder, Busy& busy)
{
    const fs::path folder = AppPaths::subfolder("locks");
    std::vector<std::string> names;
    for (const auto& projects : projectsFolders)
        names.push_back(lockName(lockKey(projects)));
    // One order for every holder; a folder named twice is locked once.
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::vector<FileLock> locks;
    busy = Busy::no;
    for (const auto& name : names) {
        const fs::path recoveryFile = folder / (name + std::string(recoverySuffix));
        // The recovery's own lock comes first: an operation refused the account's lock finds it held.
        if (holder == AccountLock::Holder::recovery) {
            auto recovering = FileLock::tryTake(recoveryFile, FileLock::File::stays);
            if (!recovering) {
                busy = Busy::byRecovery;
                return {};
            }
            locks.push_back(std::move(*recovering));
        }
        auto taken = FileLock::tryTake(folder / (name + std::string(accountSuffix)), FileLock::File::stays);
        if (!taken) {
            busy = holder == AccountLock::Holder::operation && recoveryHolds(recoveryFile) ? Busy::byRecovery
                                                                                           : Busy::elsewhere;
            return {};
        }
        locks.push_back(std::move(*taken));
    }
    return locks;
}

} // namespace

const std::string AccountLock::heldElsewhere = "Another Threadhop window is changing this account's conversations.";
const std::string AccountLock::heldByRecovery =
    "Threadhop is putting back an interrupted operation on this account. Try again in a moment.";

AccountLock::AccountLock(const std::vector<fs::path>& projectsFolders, Holder holder)
{
    Busy busy = Busy::no;
    try {
        m_locks = takeAll(projectsFolders, holder, busy);
    } catch (const fs::filesystem_error& error) {
        throw cannotLock(error);
    }
    if (busy != Busy::no)
        throw Refusal(busy == Busy::byRecovery ? heldByRecovery : heldElsewhere);
}

AccountLock::~AccountLock()
{
    // The account's lock goes before the recovery's own, which tells who holds it.
    while (!m_locks.empty())
        m_locks.pop_back();
}

std::optional<AccountLock> AccountLock::tryTake(const std::vector<fs::path>& projectsFolders, Holder holder)
{
    Busy busy = Busy::no;
    auto locks = takeAll(projectsFolders, holder, busy);
    if (busy != Busy::no)
        return std::nullopt;
    return AccountLock(std::move(locks));
}

} // namespace threadhop
