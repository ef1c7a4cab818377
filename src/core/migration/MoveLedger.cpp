#include "MoveLedger.h"

#include "core/util/AtomicFile.h"
#include "core/util/ReadBuffer.h"

#include <ctime>

namespace threadhop {
namespace {

constexpr std::string_view noteHeader =
    "# Threadhop — conversation moves\n"
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
    std::string block = "## " + stamp(entry.date) + " — " + (entry.outgoing ? "moved out" : "arrived") + " ("
        + entry.mode + ")\n\n";
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
        content += render(entry);
        AtomicFile::write(note, content);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace threadhop
