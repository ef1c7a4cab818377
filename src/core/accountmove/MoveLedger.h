#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The moves note: a markdown file in a project folder that grows by one entry per conversation
// copied into or out of it, for the person who later wonders where a conversation came from.
// Claude Code does not read it.
namespace threadhop::MoveLedger {

/// The note's file name inside a project folder.
inline constexpr std::string_view noteFileName = "THREADHOP-MOVES.md";

/// One move as the note records it.
struct Entry {
    std::chrono::system_clock::time_point date;
    bool outgoing = false; ///< true in the source folder's entry, false in the target folder's
    std::string sessionId;
    std::optional<std::string> newSessionId; ///< the copy's id
    std::string sourceAccount;
    std::string sourceConfigDir;
    std::optional<std::string> sourceIdentity;
    std::string targetAccount;
    std::string targetConfigDir;
    std::optional<std::string> targetIdentity;
    std::string mode;
    std::string scopeSummary;
    std::string cwdSummary;
    std::string fileSummary;
    std::string verified;
    std::optional<std::string> backupPath;
    bool sourceWasLive = false;

    bool operator==(const Entry&) const = default;
};

/// The entry as a markdown block ending with one line feed. Labels are padded so every value
/// starts in column 15; the date is "yyyy-MM-dd HH:mm" in the system's current time zone.
std::string render(const Entry& entry);

/// Appends the rendered entry to <folder>/THREADHOP-MOVES.md, separated from what is there by one
/// empty line; a missing note is created with its header first. The old content is kept byte for
/// byte whatever its encoding, and a note that exists but cannot be read is left alone. The file is
/// replaced atomically. True when it was written; never throws.
bool append(const Entry& entry, const std::filesystem::path& folder);

/// The same for an entry already rendered.
bool appendRendered(std::string_view entry, const std::filesystem::path& folder);

/// The size of the note in `folder`; -1 when there is none.
std::int64_t noteSize(const std::filesystem::path& folder);

/// A byte count as file sizes are shown: decimal units (1 KB = 1000 bytes), "Zero KB" for 0,
/// "1 byte" and "<n> bytes" below 1000, whole KB, MB with one decimal and GB and above with
/// two, rounded half to even, trailing zeros dropped ("2.7 MB", "1 MB", "1.25 GB"). A value that
/// rounds up to 1000 of a unit is written in the next ("1 MB" for 999,999 bytes).
std::string fileSize(std::int64_t bytes);

} // namespace threadhop::MoveLedger
