#include "HistoryPresenter.h"

#include "theme/PlatformWords.h"
#include "theme/Theme.h"
#include "ui/widgets/QtText.h"

#include "core/migration/RestoreManager.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

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

HistoryPresenter::Timestamps::Timestamps(const QLocale& locale)
    : m_locale(locale),
      m_dateFormat(abbreviatedDateFormat(locale)),
      m_timeFormat(shortenedTimeFormat(locale)),
      m_zone(QTimeZone::systemTimeZone())
{
}

QString HistoryPresenter::Timestamps::text(std::chrono::system_clock::time_point time) const
{
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    // The zone's rules are read once; local time would ask the C library to read them for every row.
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(milliseconds.count(), m_zone);
    return m_locale.toString(local.date(), m_dateFormat) + u", "_s + m_locale.toString(local.time(), m_timeFormat);
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

std::filesystem::path HistoryPresenter::projectsRoot(const ClaudeAccount& account)
{
    return account.projectsDirURL();
}

std::optional<MigrationError> HistoryPresenter::obstacle(const MigrationRecord& record,
                                                         const std::vector<ClaudeAccount>& accounts,
                                                         const RestoreManager::History& audit)
{
    if (isRestoreRecord(record))
        return std::nullopt;
    const ClaudeAccount* account = accountWithId(accounts, record.accountId);
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

QString HistoryPresenter::confirmationMessage(const MigrationRecord& record, bool oldFolderExists)
{
    const QString oldFolder = toQString(record.oldFolder);
    QString message = u"Restores folder "_s + oldFolder
        + u" from its backup and takes what this migration brought out of "_s + toQString(record.newFolder)
        + u"; everything else there stays. What is taken out is archived to a .tar.gz first, so anything added to "
          u"it since can be recovered — but it will not be in place any more."_s;
    if (oldFolderExists && record.oldFolder != record.newFolder)
        message += u" "_s + oldFolder + u" exists: the restored conversations join the ones in it."_s;
    return message;
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
