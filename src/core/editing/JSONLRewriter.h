#pragma once

#include "core/models/CwdClass.h"
#include "core/models/UserError.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Finds, counts and rewrites the recorded working directory in a project folder's transcripts,
// line by line and as text: only the characters of the edited values change.
namespace threadhop::JSONLRewriter {

/// The counts of one scan or rewrite of a project folder.
struct Result {
    std::int64_t files = 0;                   ///< transcripts with at least one occurrence of any class
    std::map<CwdClass, std::int64_t> byClass; ///< a class with no occurrence is absent
    std::int64_t unparsableLines = 0;

    bool operator==(const Result&) const = default;
    static Result empty() { return {}; }
};

/// The classes a rewrite may touch: only sessionCwd and history are ever kept.
class Scope final {
public:
    explicit Scope(const std::set<CwdClass>& classes);

    static const Scope sessionOnly; ///< {sessionCwd}
    static const Scope withHistory; ///< {sessionCwd, history}

    /// withHistory when a request asks to rewrite recorded history too, sessionOnly otherwise.
    static const Scope& of(bool rewriteHistory) { return rewriteHistory ? withHistory : sessionOnly; }

    const std::set<CwdClass>& classes() const { return m_classes; }
    bool contains(CwdClass cwdClass) const { return m_classes.contains(cwdClass); }
    bool operator==(const Scope&) const = default;

private:
    std::set<CwdClass> m_classes;
};

/// Per-class counts of one line, and whether it was unparsable.
struct LineCounts {
    std::map<CwdClass, std::int64_t> byClass;
    bool unparsable = false;

    bool operator==(const LineCounts&) const = default;
};

/// A transcript changed on disk every time it was about to be replaced (Claude Code is still
/// writing to it); nothing of it was replaced.
class TranscriptBusyError final : public UserError {
public:
    explicit TranscriptBusyError(const std::filesystem::path& transcript);
};

/// The occurrences a rewrite with `scope` replaces: the sum of `byClass` over the scope's classes.
std::int64_t inScopeTotal(const Result& result, const Scope& scope);

/// Every .jsonl file below the folder, hidden files and folders skipped, sorted by path.
std::vector<std::filesystem::path> jsonlFiles(const std::filesystem::path& in);

/// Non-overlapping matches of `of` in `in` that end the text or are followed by "/" or by a
/// character that is neither a letter, a digit, "-", "_" nor ".". 0 for an empty `of`.
std::int64_t countPathOccurrences(std::string_view of, std::string_view in);

/// The counts of one line for the old working directory, as the scan takes them.
LineCounts classifyLine(std::string_view line, std::string_view oldCwd);

/// Counts every occurrence of `oldCwd` in the folder's transcripts by class. Never fails:
/// unreadable files count as absent, malformed lines as unparsable. With `excluding`, what lies
/// at or below that directory is not counted: after a move into a folder below the old one,
/// the new directory's own text is not a reference to the old one.
Result scan(const std::filesystem::path& in, std::string_view oldCwd, std::string_view excluding = {});

/// The line with `oldCwd` replaced as `scope` allows; lines that are not JSON objects, and
/// external-state lines, come back unchanged.
std::string rewriteLine(std::string_view line, std::string_view oldCwd, std::string_view newCwd, const Scope& scope);

/// Rewrites every transcript of the folder that needs it, each replaced atomically, and returns
/// the counts found before rewriting (all classes). An empty old or new directory changes nothing.
/// Throws std::filesystem::filesystem_error when a file cannot be written, TranscriptBusyError
/// when one keeps changing; files written before stay rewritten.
Result rewrite(const std::filesystem::path& in, std::string_view oldCwd, std::string_view newCwd, const Scope& scope);

/// Keeps the originals of the transcripts a rewrite replaces, and hears of each replacement.
class OriginalsKeeper {
public:
    virtual ~OriginalsKeeper() = default;
    /// Where to keep the original of `transcript`, which is about to be replaced.
    virtual std::filesystem::path placeFor(const std::filesystem::path& transcript) = 0;
    /// `transcript` was replaced: its original held `readBytes` when it was read, the new file
    /// `writtenBytes` once written. Anything beyond arrived from another writer afterwards.
    virtual void replaced(const std::filesystem::path& transcript, std::int64_t readBytes,
                          std::int64_t writtenBytes) = 0;
};

/// The same over the given transcripts only, in the given order. With `keeper`, every replaced
/// transcript stays reachable, exactly as it was, where the keeper says.
Result rewrite(const std::vector<std::filesystem::path>& files, std::string_view oldCwd, std::string_view newCwd,
               const Scope& scope, OriginalsKeeper* keeper = nullptr);

/// Rewrites one transcript's whole text into `out`, as a rewrite of its file would, and returns
/// what it found (`files` is 1 when the text holds an occurrence of any class).
Result rewriteText(std::string_view text, std::string_view oldCwd, std::string_view newCwd, const Scope& scope,
                   std::string& out);

/// A transcript's whole text as a rewrite would write it (the text itself when nothing changes).
std::string rewrittenText(std::string_view text, std::string_view oldCwd, std::string_view newCwd, const Scope& scope);

/// The line with every "cwd" string equal to `old`, or below it, moved under `new`. Both are
/// plain paths; values are compared and inserted in their JSON-escaped form.
std::string replaceCwdFields(std::string_view in, std::string_view old, std::string_view newCwd);

} // namespace threadhop::JSONLRewriter
