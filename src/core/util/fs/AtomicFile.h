#pragma once

#include "FileMetadata.h"
#include "core/util/format/Uuid.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace threadhop {

namespace AtomicFile {

/// Replaces `target` with `content`: a hidden temporary file in the same folder is written,
/// flushed to disk and given the mode of the file it replaces, renamed over the target, and the
/// folder is flushed too, so a crash leaves the old file or the new one, never a torn one.
/// Throws std::filesystem::filesystem_error; the target is untouched then.
void write(const std::filesystem::path& target, std::string_view content);

/// The same, but the rename happens only while `target` still carries `expected`: when it was
/// changed meanwhile (Claude Code appending a line), the temporary file is dropped and nothing is
/// returned. Bytes appended to the old file in the instant between that check and the rename
/// are copied, as they are, to the end of the new one, so no append is lost; the new file's size,
/// those bytes included, is returned. (A writer that opened the file before the rename and writes
/// after it still writes to the old file; only writers that cooperate could prevent that.)
/// With `keepOriginalAs`, the file being replaced stays reachable under that path (a second name
/// for it, or a copy of its bytes on a file system without hard links), flushed to the disk
/// before the rename, so the caller can put it back exactly; its folder must exist.
std::optional<std::int64_t> writeIfUnchanged(const std::filesystem::path& target, std::string_view content,
                                             const FileMetadata& expected,
                                             const std::filesystem::path& keepOriginalAs = {});

/// Renames `original` over `target`, the file that replaced it, with whatever another writer added
/// to `target` past its first `watchFrom` bytes (-1: nothing to look for) appended to it first, and
/// what the writer adds until the rename copied after it. False when that fails; `original` may
/// hold those additions then.
bool putBack(const std::filesystem::path& original, const std::filesystem::path& target, std::int64_t watchFrom);

/// Creates `target`, which must not exist yet, holding `content` with the permission bits `mode`,
/// and flushes it to the disk. Throws std::filesystem::filesystem_error (EEXIST when something is
/// there); a file that could not be written whole is removed again.
void create(const std::filesystem::path& target, std::string_view content, unsigned mode);

/// Renames `from` to `to`, refusing (rather than replacing) anything already at `to`, and flushes
/// the folders it touched, so that a crash cannot take the move back. Throws
/// std::filesystem::filesystem_error (EEXIST when something is in the way).
void moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

/// The hidden name beside `target` that a temporary file of its own carries, ".<name>.threadhop-<id>".
std::filesystem::path temporaryPath(const std::filesystem::path& target, const Uuid& id);

/// True for the name of a temporary file these functions make (".<name>.threadhop-<uuid>"); one
/// that a crash left behind can be removed.
bool isTemporaryName(std::string_view name);

/// Removes the temporary files that crashed writes left anywhere below `folder` (links not
/// followed). Errors are ignored.
void removeTemporaries(const std::filesystem::path& folder);

/// Test seam: while alive, `hook` runs inside writeIfUnchanged, or putBack just before its rename,
/// at `moment`, so a test can change the file there as a concurrent writer would.
class ScopedReplaceHook final {
public:
    enum class Moment { beforeCheck, beforeRename, beforePutBack };

    ScopedReplaceHook(Moment moment, std::function<void(const std::filesystem::path&)> hook);
    ~ScopedReplaceHook();
    ScopedReplaceHook(const ScopedReplaceHook&) = delete;
    ScopedReplaceHook& operator=(const ScopedReplaceHook&) = delete;
};

} // namespace AtomicFile
} // namespace threadhop
