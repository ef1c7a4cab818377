#include "ui/sheets/MigrationSheetPresenter.h"

#include "support/ui/QtPrinters.h"
#include "support/TempHome.h"

#include <ctime>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
namespace Presenter = MigrationSheetPresenter;

MigrationPreview preview(bool populated, std::int64_t incoming, std::optional<std::int64_t> there = std::nullopt,
    std::string oldFolder = "-a-old", std::string newFolder = "-a-new")
{
    return {.oldFolder = std::move(oldFolder),
        .newFolder = std::move(newFolder),
        .filesToRewrite = 3,
        .totalOccurrences = 1234,
        .destinationPopulated = populated,
        .incomingConversations = incoming,
        .destinationConversations = there};
}

TEST(MigrationSheetPresenterTest, ActionLine)
{
    const std::pair<MigrationPreview, QString> cases[]{
        {preview(false, 4, std::nullopt, "-a-same", "-a-same"),
            u"No folder moves. Only the recorded working directory is rewritten."_s},
        {preview(false, 4), u"The folder -a-old is renamed to -a-new."_s},
        {preview(true, 0, 2),
            u"0 conversations move out of -a-old into -a-new, which stays where it is. "
            u"-a-old is removed once it is empty."_s},
        {preview(true, 1, 2),
            u"1 conversation move out of -a-old into -a-new, which stays where it is. "
            u"-a-old is removed once it is empty."_s},
        {preview(true, 2, 2),
            u"2 conversations move out of -a-old into -a-new, which stays where it is. "
            u"-a-old is removed once it is empty."_s},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(Presenter::actionLine(input), expected);
}

TEST(MigrationSheetPresenterTest, PopulatedHeadlineCountsAnAbsentDestinationCountAsNone)
{
    const std::pair<MigrationPreview, QString> cases[]{
        {preview(true, 1, 1), u"That project already has 1 conversation; 1 conversation will join them."_s},
        {preview(true, 0, 2), u"That project already has 2 conversations; 0 conversations will join them."_s},
        {preview(true, 2, 0), u"That project already has 0 conversations; 2 conversations will join them."_s},
        {preview(true, 2, std::nullopt),
            u"That project already has 0 conversations; 2 conversations will join them."_s},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(Presenter::populatedHeadline(input), expected);
    EXPECT_EQ(Presenter::previewCountsLine(preview(false, 1)), u"3 files · 1234 references to rewrite"_s);
}

TEST(MigrationSheetPresenterTest, PrimaryButtonTitleAndWhetherItCanBePressed)
{
    auto blocked = preview(true, 1, 1);
    blocked.blockedReason = "The old or new path is empty.";
    // dry run, preview, account present → title, enabled
    const std::tuple<bool, std::optional<MigrationPreview>, bool, QString, bool> cases[]{
        {false, std::nullopt, true, u"Migrate"_s, true},
        {true, std::nullopt, true, u"Run dry run"_s, true},
        {false, preview(false, 1), true, u"Migrate"_s, true},
        {false, preview(true, 1, 1), true, u"Move in"_s, true},
        {true, preview(true, 1, 1), true, u"Run dry run"_s, true},
        {false, blocked, true, u"Move in"_s, false},
        {true, blocked, true, u"Run dry run"_s, false},
        {false, std::nullopt, false, u"Migrate"_s, false},
        {false, preview(false, 1), false, u"Migrate"_s, false},
    };
    for (const auto& [dryRun, input, hasAccount, title, enabled] : cases) {
        EXPECT_EQ(Presenter::migrateButtonTitle(dryRun, input), title);
        EXPECT_EQ(Presenter::primaryEnabled(hasAccount, input), enabled) << title.toStdString();
    }
}

TEST(MigrationSheetPresenterTest, Report)
{
    MigrationRecord record{.filesRewritten = 2, .occurrencesReplaced = 17, .dryRun = true};
    EXPECT_EQ(Presenter::reportTitle(record), (Presenter::ReportTitle{Symbol::checkmarkCircle, u"Dry run complete"_s}));
    EXPECT_EQ(Presenter::backupLine(record), std::nullopt);
    record.dryRun = false;
    record.backupPath = "/b/-a-old-20250102-030405.tar.gz";
    EXPECT_EQ(
        Presenter::reportTitle(record), (Presenter::ReportTitle{Symbol::checkmarkSealFill, u"Migration successful"_s}));
    EXPECT_EQ(Presenter::reportCountsLine(record), u"2 files · 17 references."_s);
    EXPECT_EQ(Presenter::backupLine(record), u"Backup: /b/-a-old-20250102-030405.tar.gz"_s);
}

class MigrationSheetInputTest : public testing::HomeTest { };

TEST_F(MigrationSheetInputTest, TheEngineInputAlwaysMergesAndNeverRewritesHistory)
{
    const ProjectFolder project{.id = "w:-a-old", .accountId = "w", .folderName = "-a-old"};
    EXPECT_EQ(Presenter::makeInput(std::nullopt, project, "/a/old", "/a/new"), std::nullopt);

    const ClaudeAccount work{.id = "w", .label = "Work", .configDir = "/srv/claude-work"};
    EXPECT_EQ(Presenter::makeInput(work, project, "/a/old", "/a/new"),
        (ConversationMigrator::Input{.accountId = "w",
            .projectsRoot = "/srv/claude-work/projects",
            .oldFolderName = "-a-old",
            .oldCwd = "/a/old",
            .newCwd = "/a/new",
            .rewriteHistory = false,
            .allowPopulatedDestination = true}));
    const ClaudeAccount standard{.id = "claude"};
    EXPECT_EQ(
        Presenter::makeInput(standard, project, "/a/old", "/a/new")->projectsRoot, home() / ".claude" / "projects");
}

TEST(MigrationSheetPresenterTest, StampIsTheLocalTimeToTheSecond)
{
    std::tm local{.tm_sec = 5, .tm_min = 4, .tm_hour = 3, .tm_mday = 2, .tm_mon = 0, .tm_year = 125, .tm_isdst = -1};
    const auto moment = std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(999);
    EXPECT_EQ(Presenter::stamp(moment), "20250102-030405");
}

} // namespace
} // namespace threadhop
