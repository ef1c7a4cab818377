#include "HistoryPresenter.h"

#include "theme/PlatformWords.h"
#include "theme/Theme.h"
#include "ui/widgets/QtText.h"

#include "core/migration/RestoreManager.h"

#include <QDateTime>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

// Qt knows a long and a short date; the abbreviated one lies between: the long form without the
// weekday, with the month's name shortened.
QString abbreviatedDateFormat(const QLocale& locale)
{
    static const QRegularExpression weekday(u"d{4}[,.]?\\s*"_s);
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(weekday);
    format.replace(u"MMMM"_s, u"MMM"_s);
    return format.trimmed();
}

// The shortened time shows hours and minutes; some locales' short form has the seconds too.
QString shortenedTimeFormat(const QLocale& locale)
{
    static const QRegularExpression seconds(u"[:.]ss?"_s);
    return locale.timeFormat(QLocale::ShortFormat).remove(seconds);
}

} // namespace

bool HistoryPresenter::isRestoreRecord(const MigrationRecord& record)
{
    return record.message && record.message->starts_with("Restore");
}

QColor HistoryPresenter::dotColor(const MigrationRecord& record)
{
    return record.success ? Theme::ok() : Theme::broken();
}

QString HistoryPresenter::timestamp(std::chrono::system_clock::time_point time, const QLocale& locale)
{
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(milliseconds.count(), Qt::LocalTime);
    return locale.toString(local.date(), abbreviatedDateFormat(locale)) + u", "_s
        + locale.toString(local.time(), shortenedTimeFormat(locale));
}

std::vector<HistoryPresenter::Badge> HistoryPresenter::badges(const MigrationRecord& record)
{
    std::vector<Badge> shown;
    if (record.dryRun)
        shown.push_back({u"DRY-RUN"_s, std::nullopt});
    if (isRestoreRecord(record))
        shown.push_back({u"RESTORE"_s, Theme::warn(), 0.3});
    return shown;
}

QString HistoryPresenter::newPathLine(const MigrationRecord& record)
{
    return u"→ "_s + toQString(record.newCwd);
}

QString HistoryPresenter::countsLine(const MigrationRecord& record)
{
    return u"%1 files · %2 references"_s.arg(record.filesRewritten).arg(record.occurrencesReplaced);
}

const ClaudeAccount* HistoryPresenter::accountOf(const MigrationRecord& record,
                                                 const std::vector<ClaudeAccount>& accounts)
{
    for (const auto& account : accounts) {
        if (account.id == record.accountId)
            return &account;
    }
    return nullptr;
}

std::filesystem::path HistoryPresenter::projectsRoot(const ClaudeAccount& account)
{
    return account.projectsDirURL();
}

std::optional<MigrationError> HistoryPresenter::obstacle(const MigrationRecord& record,
                                                         const std::vector<ClaudeAccount>& accounts,
                                                         const std::vector<MigrationRecord>& audit)
{
    if (isRestoreRecord(record))
        return std::nullopt;
    const ClaudeAccount* account = accountOf(record, accounts);
    if (!account) {
        const QString text = u"Account "_s + toQString(record.accountId) + u" is not on this Mac."_s;
        return MigrationError::notRestorable(toStdString(PlatformWords::say(text)));
    }
    return RestoreManager::obstacle(record, projectsRoot(*account), audit);
}

HistoryPresenter::RestoreSlot HistoryPresenter::restoreSlot(const MigrationRecord& record,
                                                            const std::optional<MigrationError>& obstacle)
{
    if (isRestoreRecord(record))
        return RestoreSlots::Empty{};
    if (!obstacle)
        return RestoreSlots::Button{};
    return RestoreSlots::Reason{QString::fromUtf8(obstacle->what())};
}

QString HistoryPresenter::confirmationMessage(const MigrationRecord& record)
{
    // A merge ("Move in") is undone by taking out only what it moved in: the folder it moved into stays.
    const QString what = record.movedEntryNames
        ? u" and takes the conversations it moved in out of "_s + toQString(record.newFolder)
        : u" and removes "_s + toQString(record.newFolder);
    return u"Restores folder "_s + toQString(record.oldFolder) + what
        + u". Anything created in the new location after the migration is archived to a .tar.gz first, so it can "
          u"be recovered — but it will not be in place any more."_s;
}

QString HistoryPresenter::accountGone(const MigrationRecord& record)
{
    return u"Account "_s + toQString(record.accountId) + u" no longer exists."_s;
}

std::optional<QString> HistoryPresenter::setAsideLine(const std::vector<std::filesystem::path>& kept)
{
    if (kept.empty())
        return std::nullopt;
    if (kept.size() == 1)
        return u"A history that could not be read is kept as "_s + toQString(kept.front().native()) + u"."_s;
    QStringList names;
    for (const auto& file : kept)
        names.append(toQString(file.filename().native()));
    return u"Histories that could not be read are kept in "_s + toQString(kept.front().parent_path().native()) + u": "_s
        + names.join(u", "_s) + u"."_s;
}

std::optional<QString> HistoryPresenter::notice(const MigrationAudit::History& history,
                                                const std::filesystem::path& file,
                                                const std::vector<std::filesystem::path>& kept)
{
    QStringList lines;
    if (history.unreadable) {
        lines.append(
            u"Threadhop cannot read the history "_s + toQString(file.native()) + u": "_s
            + toQString(*history.unreadable)
            + u". It stays as it is; the next migration, restore or account move keeps it beside a new history."_s);
    }
    if (history.undecodable == 1)
        lines.append(u"1 record of the history cannot be shown; it stays in the file as it is."_s);
    else if (history.undecodable > 1)
        lines.append(QString::number(history.undecodable)
                     + u" records of the history cannot be shown; they stay in the file as they are."_s);
    if (const auto setAside = setAsideLine(kept))
        lines.append(*setAside);
    if (lines.isEmpty())
        return std::nullopt;
    return lines.join(u'\n');
}

} // namespace threadhop
