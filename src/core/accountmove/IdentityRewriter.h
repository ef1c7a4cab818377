#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <simdjson.h>

// Makes a forked copy of a conversation stand apart from its source: every identity value (session
// id, line and message uuids, parent links, prompt and tool-use references) gets a fresh value,
// the same one wherever it stands, so the links between lines still hold. Files are edited as text
// through the field editor; nothing else on a line changes.
namespace threadhop::IdentityRewriter {

/// The keys whose UUID-shaped string values are identity values.
inline constexpr std::array<std::string_view, 12> identityKeys{"sessionId",
                                                               "session_id",
                                                               "uuid",
                                                               "parentUuid",
                                                               "logicalParentUuid",
                                                               "leafUuid",
                                                               "messageId",
                                                               "snapshotMessageId",
                                                               "interruptedMessageId",
                                                               "promptId",
                                                               "sourceToolAssistantUUID",
                                                               "sourceToolUseID"};

/// A set of identity values.
using ValueSet = std::set<std::string, std::less<>>;

/// What each identity value of a fork becomes.
struct Plan {
    std::map<std::string, std::string, std::less<>> mapping; ///< identity value → its replacement
    std::string oldSessionId;
    std::string newSessionId;

    bool operator==(const Plan&) const = default;
};

/// True for 36 characters grouped 8-4-4-4-12 by hyphens, every other character a hexadecimal
/// digit of either case.
bool isUUID(std::string_view s);

/// Adds to `into` the identity values in a parsed JSON value found under `key` (none at the top
/// of a line): UUID-shaped strings under one of identityKeys, at any depth; array elements count
/// as found under the array's key.
void collect(simdjson::dom::element value, std::optional<std::string_view> key, ValueSet& into);

/// The files of a copied conversation that may hold identity values: those with the extension
/// "jsonl" and those whose name ends with ".meta.json", in the given order.
std::vector<std::filesystem::path> identityFiles(const std::vector<std::filesystem::path>& files);

/// Every identity value collected from the lines of `files` that parse as JSON objects or arrays
/// (lines split as the transcript analyser splits them). Unreadable files and lines that do not
/// parse are skipped: a file that is not valid UTF-8 still gives the values of its valid lines.
ValueSet identityValues(const std::vector<std::filesystem::path>& files);

/// Adds the identity values of the lines of `text` that parse as JSON objects or arrays.
void collectFromText(std::string_view text, ValueSet& into);

/// The plan for identity values already collected: oldSessionId maps to newSessionId, every other
/// value to a fresh random lower-case UUID.
Plan planFor(const ValueSet& values, std::string_view oldSessionId, std::string_view newSessionId);

/// The plan for a fork: oldSessionId maps to newSessionId, every other identity value found in
/// `files` to a fresh random lower-case UUID. Never fails (unless the system's random source does).
Plan buildPlan(const std::vector<std::filesystem::path>& files, std::string_view oldSessionId,
               std::string_view newSessionId);

/// Edits texts by a plan as apply() edits files, counting the values it replaces.
class TextEditor final {
public:
    explicit TextEditor(const Plan& plan);

    /// Writes `text` edited into `out`; true when anything changed.
    bool edit(std::string_view text, std::string& out);
    /// Hands `text` edited to `write`, a line at a time.
    void edit(std::string_view text, const std::function<void(std::string_view)>& write);
    std::int64_t replaced() const { return m_replaced; }

private:
    std::string m_oldTeam;
    std::string m_newTeam;
    std::unordered_map<std::string_view, std::string_view> m_index; ///< into the plan, which must outlive this
    std::int64_t m_replaced = 0;
    std::string m_line; ///< reused from line to line
};

/// Rewrites `files` in place: under identityKeys every raw value found in the mapping becomes its
/// mapped value, and a "teamName" of "session-" + the old id's first 8 characters takes the new
/// id's first 8. Each changed file is replaced atomically. Unreadable files are skipped; files that
/// are not valid UTF-8 are edited byte for byte all the same, so none keeps the source's values.
/// Returns the number of values replaced. Throws std::filesystem::filesystem_error on a failed
/// write; files before it stay rewritten, later ones are not touched.
std::int64_t apply(const Plan& plan, const std::vector<std::filesystem::path>& files);

} // namespace threadhop::IdentityRewriter
