#pragma once

#include "core/models/UserError.h"
#include "core/util/fs/FileLock.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace threadhop {

/// The right to change the conversations of the accounts whose projects folders it names, held
/// across threads and processes from before an operation's first check until its record is
/// written: two migrations, restores or account moves over one account would otherwise rewrite
/// and rename under each other. The lock files live in the support folder and are never removed.
class AccountLock final {
public:
    /// Why an operation could not start; nothing had changed.
    class Refusal final : public UserError {
    public:
        explicit Refusal(std::string text) : UserError(std::move(text)) { }
    };

    /// Who takes the lock: an operation the user started, or the start-up recovery putting back
    /// one that was interrupted. The recovery holds a second lock beside each account's for as
    /// long as it holds the account's, so that whoever is refused can tell the two apart.
    enum class Holder { operation, recovery };

    /// "Another Threadhop window is changing this account's conversations."
    static const std::string heldElsewhere;
    /// "Threadhop is putting back an interrupted operation on this account. Try again in a moment."
    static const std::string heldByRecovery;

    /// Takes the lock of each folder without waiting (links resolved, so that two spellings of a
    /// folder share one lock). Throws Refusal, holding none of them, when one is held elsewhere
    /// (heldByRecovery when the recovery holds it) or a lock file cannot be made.
    explicit AccountLock(const std::vector<std::filesystem::path>& projectsFolders, Holder holder = Holder::operation);

    /// The same without the refusal: nothing when a lock is held elsewhere. Throws
    /// std::filesystem::filesystem_error when a lock file cannot be made: then nobody can tell.
    static std::optional<AccountLock> tryTake(const std::vector<std::filesystem::path>& projectsFolders,
                                              Holder holder = Holder::operation);

    ~AccountLock();
    AccountLock(AccountLock&&) noexcept = default;
    AccountLock(const AccountLock&) = delete;
    AccountLock& operator=(const AccountLock&) = delete;
    AccountLock& operator=(AccountLock&&) = delete;

private:
    explicit AccountLock(std::vector<FileLock> locks) : m_locks(std::move(locks)) { }

    std::vector<FileLock> m_locks;
};

} // namespace threadhop
