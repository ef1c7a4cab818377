#pragma once

#include "core/migration/MigrationError.h"
#include "core/migration/RestoreManager.h"
#include "core/models/ClaudeAccount.h"
#include "core/models/MigrationRecord.h"
#include "core/operations/MigrationAudit.h"

#include <QColor>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <chrono>
#include <filesystem>
#include <optional>
#include <variant>
#include <vector>

// What the history window says about each record, and whether and how a record can be undone.
namespace threadhop::HistoryPresenter {

/// A record that a restore wrote: its message begins with "Restore".
bool isRestoreRecord(const MigrationRecord& record);

/// Green for a success, red otherwise.
QColor dotColor(const MigrationRecord& record);

/// The date abbreviated and the time shortened, in `locale`'s words and the local time zone. The
/// formats are worked out once for every row.
class Timestamps final {
public:
    explicit Timestamps(const QLocale& locale);
    QString text(std::chrono::system_clock::time_point time) const;

private:
    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    QTimeZone m_zone;
};

/// A word on a capsule in the row's header.
struct Badge {
    QString text;
    std::optional<QColor> tint; ///< absent: the faint grey of the fourth text level
    qreal opacity = 1.0;

    bool operator==(const Badge&) const = default;
};

/// "DRY-RUN" on grey for a dry run, then "RESTORE" on faded orange for a restore's record.
std::vector<Badge> badges(const MigrationRecord& record);

/// "→ " and the new directory.
QString newPathLine(const MigrationRecord& record);

/// "<files> files · <occurrences> references".
QString countsLine(const MigrationRecord& record);

/// The account's projects folder, where a restore puts the conversations back.
std::filesystem::path projectsRoot(const ClaudeAccount& account);

/// Why the record cannot be undone, or nothing: never for a restore's own record; "Account … is not
/// on this Mac." (in this platform's words) for an account the last scan did not find; otherwise the
/// engine's answer, which probes the file system.
std::optional<MigrationError> obstacle(const MigrationRecord& record, const std::vector<ClaudeAccount>& accounts,
                                       const RestoreManager::History& audit);

namespace RestoreSlots {
/// A restore's own record: nothing at the end of the header.
struct Empty {
    bool operator==(const Empty&) const = default;
};
/// The "Restore" button.
struct Button {
    bool operator==(const Button&) const = default;
};
/// Why it cannot be undone.
struct Reason {
    QString text;
    bool operator==(const Reason&) const = default;
};
} // namespace RestoreSlots

using RestoreSlot = std::variant<RestoreSlots::Empty, RestoreSlots::Button, RestoreSlots::Reason>;

/// What ends a row's header, given the record's obstacle.
RestoreSlot restoreSlot(const MigrationRecord& record, const std::optional<MigrationError>& obstacle);

/// The text of the confirmation "Restore from backup?": the undo takes out only what the migration
/// brought; where the old folder exists again, the restored conversations join it.
QString confirmationMessage(const MigrationRecord& record, bool oldFolderExists);

/// The failure when the record's account went away while the confirmation was open.
QString accountGone(const MigrationRecord& record);

/// The line that says where histories that could not be read were kept (`kept`, in name order);
/// nothing when there are none.
std::optional<QString> setAsideLine(const std::vector<std::filesystem::path>& kept);

/// What the window says above the list, one line each: why the history `file` cannot be read, how
/// many of its elements cannot be shown, and setAsideLine; nothing when none of them applies.
std::optional<QString> notice(const MigrationAudit::History& history, const std::filesystem::path& file,
                              const std::vector<std::filesystem::path>& kept);

} // namespace threadhop::HistoryPresenter
