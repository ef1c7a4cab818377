#include "MoveLedger.h"

#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/fs/ReadBuffer.h"

#include <ctime>

namespace threadhop {
namespace {

struct Unit {
    std::string_view name;
    std::uint64_t size;
    int fractionDigits;
};

constexpr std::array<Unit, 6> units{{{"KB", 1'000ULL, 0},
                                     {"MB", 1'000'000ULL, 1},
                                     {"GB", 1'000'000'000ULL, 2},
                                     {"TB", 1'000'000'000'000ULL, 2},
                                     {"PB", 1'000'000'000'000'000ULL, 2},
                                     {"EB", 1'000'000'000'000'000'000ULL, 2}}};

std::uint64_t powerOfTen(int exponent)
{
    std::uint64_t value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

// bytes / step, rounded half to even.
std::uint64_t roundedSteps(std::uint64_t bytes, std::uint64_t step)
{
    std::uint64_t quotient = bytes / step;
    const std::uint64_t twiceRemainder = (bytes % step) * 2;
    if (twiceRemainder > step || (twiceRemainder == step && quotient % 2 == 1))
        ++quotient;
    return quotient;
}

constexpr std::string_view noteHeader = "# Threadhop — conversation moves\n"
                                        "\n"
                                        "Written by Threadhop when a conversation was copied into or out of this\n"
                                        "project folder. Claude Code does not read this file.\n"
                                        "\n";

// Values start in column 15.
std::string label(std::string_view name)
{
    std::string text = "- " + std::string(name) + ":";
    text.resize(14, ' ');
    return text;
}

std::string stamp(std::chrono::system_clock::time_point date)
{
    const std::time_t time = std::chrono::system_clock::to_time_t(date);
    // The time zone may have changed since the program started; localtime_r alone would not notice.
    tzset();
    std::tm local{};
    char text[32] = {};
    if (!localtime_r(&time, &local) || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) == 0)
        return "unknown date";
    return text;
}

std::string account(std::string_view name, std::string_view configDir, const std::optional<std::string>& identity)
{
    std::string text = std::string(name) + "  (" + std::string(configDir) + ")";
    if (identity && !identity->empty())
        text += " — " + *identity;
    return text;
}

} // namespace

std::string MoveLedger::render(const Entry& entry)
{
    const bool idKept = !entry.newSessionId || *entry.newSessionId == entry.sessionId;
    std::string block =
        "## " + stamp(entry.date) + " — " + (entry.outgoing ? "moved out" : "arrived") + " (" + entry.mode + ")\n\n";
    block += label("session") + "`" + entry.sessionId + "`\n";
    if (!idKept)
        block += label("new id") + "`" + *entry.newSessionId + "`\n";
    block += label("from") + account(entry.sourceAccount, entry.sourceConfigDir, entry.sourceIdentity) + "\n";
    block += label("to") + account(entry.targetAccount, entry.targetConfigDir, entry.targetIdentity) + "\n";
    block += label("mode") + entry.mode + "\n";
    block += label("scope") + entry.scopeSummary + "\n";
    block += label("cwd") + entry.cwdSummary + "\n";
    block += label("files") + entry.fileSummary + "\n";
    block += label("verified") + entry.verified + "\n";
    if (entry.backupPath)
        block += label("backup") + *entry.backupPath + "\n";
    if (entry.sourceWasLive)
        block += "- ⚠️ the source session was running: this is a snapshot, and the two diverge from here\n";
    if (idKept) {
        block += "\n"
                 "> ⚠️ This sessionId now exists in two accounts. Continuing one does not\n"
                 "> reflect in the other, and any index keyed on session id will show it twice.\n";
    }
    block += "\n"
             "External state stays behind in the source account: `file-history/`, `todos/`,\n"
             "`plans/`, `shell-snapshots/`. Undo history does not travel with the conversation.\n";
    return block;
}

bool MoveLedger::append(const Entry& entry, const std::filesystem::path& folder)
{
    return appendRendered(render(entry), folder);
}

std::int64_t MoveLedger::noteSize(const std::filesystem::path& folder)
{
    const auto metadata = FileMetadata::read(folder / noteFileName);
    return metadata ? metadata->sizeBytes : -1;
}

bool MoveLedger::appendRendered(std::string_view entry, const std::filesystem::path& folder)
{
    try {
        const std::filesystem::path note = folder / noteFileName;
        std::string content;
        ReadBuffer buffer;
        if (buffer.load(note)) {
            const std::string_view old = buffer.content();
            content.append(old).append(old.ends_with('\n') ? "\n" : "\n\n");
        } else {
            std::error_code error;
            if (std::filesystem::symlink_status(note, error).type() != std::filesystem::file_type::not_found)
                return false; // there but unreadable: never overwrite it
            content.append(noteHeader);
        }
        content += entry;
        AtomicFile::write(note, content);
        return true;
    } catch (...) {
        return false;
    }
}

std::string MoveLedger::fileSize(std::int64_t bytes)
{
    const std::string sign = bytes < 0 ? "-" : "";
    const std::uint64_t magnitude =
        bytes < 0 ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    if (magnitude == 0)
        return "Zero KB";
    if (magnitude < 1000)
        return sign + std::to_string(magnitude) + (magnitude == 1 ? " byte" : " bytes");
    std::size_t index = 0;
    while (index + 1 < units.size() && magnitude >= units[index + 1].size)
        ++index;
    for (;; ++index) {
        const Unit& unit = units[index];
        const std::uint64_t scale = powerOfTen(unit.fractionDigits);
        // Counted in the last shown digit, so the arithmetic stays within 64 bits.
        const std::uint64_t steps = roundedSteps(magnitude, unit.size / scale);
        if (steps >= 1000 * scale && index + 1 < units.size())
            continue;
        // The fraction's digits, with its leading zeros and without its trailing ones.
        std::string fraction = std::to_string(scale + steps % scale).substr(1);
        while (!fraction.empty() && fraction.back() == '0')
            fraction.pop_back();
        return sign + std::to_string(steps / scale) + (fraction.empty() ? "" : "." + fraction) + " "
            + std::string(unit.name);
    }
}

} // namespace threadhop
