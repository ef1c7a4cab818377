#pragma once

#include <functional>

namespace threadhop {

/// The moments between the steps of an operation that changes the user's files, where a crash can
/// leave it half-way (the next start puts such an operation right).
enum class OperationStep {
    noted,     ///< the pending note is on the disk; nothing has changed yet
    rewritten, ///< a migration's transcripts are rewritten
    moved,     ///< a migration's folder is renamed, or its entries moved
    verified,  ///< a migration passed its verification
    copied,    ///< an account move's copy is made and verified in its hidden folder
    placed,    ///< an account move's copy is in the target folder
    setAside,  ///< an undo's entries are out of the migrated folder, kept in a hidden folder
    restored,  ///< an undo's archived entries are back in the old folder
    recorded,  ///< the history holds the record; only the note is left to remove
};

namespace OperationSteps {

/// Runs the test hook, if any, for `step`.
void reached(OperationStep step);

/// Test seam: while alive, `hook` runs at every step an operation reaches; an exception it throws
/// that is not a std::exception stops the operation there as a crash would, leaving every file
/// (and the pending note) as they are.
class ScopedHook final {
public:
    explicit ScopedHook(std::function<void(OperationStep)> hook);
    ~ScopedHook();
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;
};

} // namespace OperationSteps
} // namespace threadhop
