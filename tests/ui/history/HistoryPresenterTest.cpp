#include "ui/history/HistoryPresenter.h"

#include "support/ui/QtPrinters.h"
#include "theme/Theme.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
namespace Presenter = HistoryPresenter;
namespace Slots = HistoryPresenter::RestoreSlots;

MigrationRecord record(bool success = true, bool dryRun = false, std::optional<std::string> message = std::nullopt)
{
    return {.id = Uuid::random(),
        .accountId = "work",
        .oldCwd = "/Users/ana/old app",
        .newCwd = "/Users/ana/new",
        .oldFolder = "-Users-ana-old-app",
        .newFolder = "-Users-ana-new",
        .filesRewritten = 12,
        .occurrencesReplaced = 3456,
        .dryRun = dryRun,
        .success = success,
        .message = std::move(message)};
}

std::vector<QString> badgeTexts(const MigrationRecord& shown)
{
    std::vector<QString> texts;
    for (const auto& badge : Presenter::badges(shown))
        texts.push_back(badge.text);
    return texts;
}

TEST(HistoryPresenterTest, RowTextsDotAndBadges)
{
    struct Case {
        MigrationRecord record;
        QColor dot;
        std::vector<QString> badges;
    };
    const Case cases[]{
        {record(), Theme::ok(), {}},
        {record(false), Theme::broken(), {}},
        {record(true, true), Theme::ok(), {u"DRY-RUN"_s}},
        {record(true, false, "Restore from backup (reverts migration 0A1B2C3D)"), Theme::ok(), {u"RESTORE"_s}},
        {record(false, true, "Restore"), Theme::broken(), {u"DRY-RUN"_s, u"RESTORE"_s}},
        {record(true, false, "Rolled back: Restore"), Theme::ok(), {}},
        {record(true, false, "restore from backup"), Theme::ok(), {}},
    };
    for (const auto& [input, dot, badges] : cases) {
        EXPECT_EQ(Presenter::dotColor(input), dot);
        EXPECT_EQ(badgeTexts(input), badges) << input.message.value_or("(no message)");
    }
    const auto restoreBadge = Presenter::badges(record(true, false, "Restore")).front();
    EXPECT_EQ(restoreBadge.tint, Theme::warn());
    EXPECT_EQ(restoreBadge.opacity, 0.3);
    EXPECT_EQ(Presenter::badges(record(true, true)).front().tint, std::nullopt) << "the plain grey capsule";

    EXPECT_EQ(Presenter::newPathLine(record()), u"→ /Users/ana/new"_s);
    EXPECT_EQ(Presenter::countsLine(record()), u"12 files · 3456 references"_s);
}

TEST(HistoryPresenterTest, TimestampAbbreviatesTheDateAndShortensTheTimeInTheUsersLocale)
{
    const QDateTime local(QDate(2024, 5, 1), QTime(9, 30, 12));
    const std::chrono::system_clock::time_point time{std::chrono::milliseconds(local.toMSecsSinceEpoch())};
    EXPECT_EQ(Presenter::timestamp(time, QLocale(QLocale::German, QLocale::Germany)), u"1. Mai 2024, 09:30"_s);
    EXPECT_TRUE(Presenter::timestamp(time, QLocale(QLocale::English, QLocale::UnitedStates))
                    .startsWith(u"May 1, 2024, 9:30"_s));
    EXPECT_EQ(Presenter::timestamp(time, QLocale::c()), u"1 May 2024, 09:30"_s) << "no seconds";
}

TEST(HistoryPresenterTest, SlotOrderRestoreRecordThenButtonThenReason)
{
    const auto refusal = MigrationError::notRestorable("A dry run changed nothing.");
    const std::tuple<MigrationRecord, std::optional<MigrationError>, Presenter::RestoreSlot> cases[]{
        {record(true, false, "Restore from backup"), std::nullopt, Slots::Empty{}},
        {record(true, false, "Restore from backup"), refusal, Slots::Empty{}},
        {record(), std::nullopt, Slots::Button{}},
        {record(false), std::nullopt, Slots::Button{}},
        {record(true, true), refusal, Slots::Reason{u"A dry run changed nothing."_s}},
        {record(), MigrationError::backupFailed("The backup no longer exists."),
            Slots::Reason{u"Backup failed: The backup no longer exists."_s}},
    };
    for (const auto& [input, obstacle, expected] : cases)
        EXPECT_EQ(Presenter::restoreSlot(input, obstacle), expected);
}

TEST(HistoryPresenterTest, ObstacleOfARestoreRecordAndOfAnAccountNotScanned)
{
    const std::vector<ClaudeAccount> accounts{{.id = "claude"}, {.id = "personal"}};
    EXPECT_EQ(Presenter::obstacle(record(true, false, "Restore from backup"), {}, {}), std::nullopt)
        << "a restore's own record is never judged, even without its account";

    auto dryRunElsewhere = record(true, true);
    const auto missing = Presenter::obstacle(dryRunElsewhere, accounts, {});
    ASSERT_TRUE(missing);
#ifdef __APPLE__
    EXPECT_STREQ(missing->what(), "Account work is not on this Mac.");
#else
    EXPECT_STREQ(missing->what(), "Account work is not on this computer.") << "whatever the engine would say";
#endif

    dryRunElsewhere.accountId = "personal";
    EXPECT_EQ(Presenter::accountOf(dryRunElsewhere, accounts), &accounts[1]);
    const auto engine = Presenter::obstacle(dryRunElsewhere, accounts, {});
    ASSERT_TRUE(engine);
    EXPECT_STREQ(engine->what(), "A dry run changed nothing.") << "the engine decides for a scanned account";
}

TEST(HistoryPresenterTest, ConfirmationAndAccountGoneTexts)
{
    EXPECT_EQ(Presenter::confirmationMessage(record()),
        u"Restores folder -Users-ana-old-app and removes -Users-ana-new. Anything created in the new location "
        u"after the migration is archived to a .tar.gz first, so it can be recovered — but it will not be in place "
        u"any more."_s);
    EXPECT_EQ(Presenter::accountGone(record()), u"Account work no longer exists."_s);
}

} // namespace
} // namespace threadhop
