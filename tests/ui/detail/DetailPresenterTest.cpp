#include "ui/detail/DetailPresenter.h"
#include "ui/detail/DetailState.h"
#include "ui/projects/ProjectRowPresenter.h"
#include "theme/Theme.h"

#include "support/ui/QtPrinters.h"
#include "support/TempHome.h"

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using Panel = DetailPresenter::Panel;
using Row = DetailPresenter::InfoRow;

ProjectFolder project(ResumeStatus status, std::optional<std::string> cwd = "/Users/ana/site")
{
    return {.id = "claude:-Users-ana-site",
        .accountId = "claude",
        .folderName = "-Users-ana-site",
        .actualCwd = std::move(cwd),
        .sessionCount = 12,
        .subagentCount = 3,
        .totalSizeBytes = 2'700'000,
        .status = status};
}

TEST(DetailPresenterTest, StatusLabelColorAndPanel)
{
    const std::tuple<ResumeStatus, QString, QColor, Panel> cases[]{
        {ResumeStatus::ok, u"Resume OK"_s, Theme::ok(), Panel::resumeHint},
        {ResumeStatus::cwdMismatch, u"Folder mismatch"_s, Theme::warn(), Panel::migration},
        {ResumeStatus::targetMissing, u"Location missing"_s, Theme::broken(), Panel::migration},
        {ResumeStatus::ephemeralLocation, u"Temporary location, gone for good"_s, Theme::unknown(),
            Panel::temporaryLocation},
        {ResumeStatus::noCwdRecorded, u"No working directory recorded"_s, Theme::unknown(), Panel::resumeHint},
    };
    for (const auto& [status, label, color, panel] : cases) {
        EXPECT_EQ(DetailPresenter::statusLabel(status), label);
        EXPECT_EQ(ProjectRowPresenter::statusColor(status), color) << label.toStdString();
        EXPECT_EQ(DetailPresenter::panelFor(status), panel) << label.toStdString();
    }
}

TEST(DetailPresenterTest, InformationRowsOfferToCopyOnlyTheFolderAndARecordedDirectory)
{
    const auto size = ProjectRowPresenter::size(2'700'000);
    EXPECT_EQ(DetailPresenter::infoRows(project(ResumeStatus::ok)),
        (std::vector<Row>{{u"Account"_s, u"claude"_s, std::nullopt},
            {u"Folder"_s, u"-Users-ana-site"_s, u"Copy Folder"_s},
            {u"cwd (transcript)"_s, u"/Users/ana/site"_s, u"Copy cwd (transcript)"_s},
            {u"Sessions"_s, u"12"_s, std::nullopt}, {u"Subagents"_s, u"3"_s, std::nullopt},
            {u"Size"_s, size, std::nullopt}}));
    EXPECT_EQ(DetailPresenter::infoRows(project(ResumeStatus::noCwdRecorded, std::nullopt))[2],
        (Row{u"cwd (transcript)"_s, u"—"_s, std::nullopt}));
}

class DetailPathTest : public testing::HomeTest { };

TEST_F(DetailPathTest, TheActionBarNeedsADirectoryAtTheRecordedPath)
{
    std::filesystem::create_directories(home() / "dir");
    testing::writeFile(home() / "file", "x");
    const std::pair<std::optional<std::string>, bool> cases[]{{(home() / "dir").string(), true},
        {(home() / "file").string(), false}, {(home() / "missing").string(), false}, {"", false},
        {std::nullopt, false}};
    for (const auto& [cwd, exists] : cases)
        EXPECT_EQ(DetailPresenter::pathExists(project(ResumeStatus::ok, cwd)), exists) << cwd.value_or("(absent)");
}

TEST(DetailPresenterTest, TheResumeHintsCommandNeedsARecordedDirectoryEvenAnEmptyOne)
{
    const std::vector<ClaudeAccount> accounts{{.id = "claude", .alias = "claude-work", .aliasIsSimple = true}};
    EXPECT_EQ(DetailPresenter::resumeCommand(project(ResumeStatus::ok), accounts),
        u"cd '/Users/ana/site' && claude-work --resume"_s);
    EXPECT_EQ(
        DetailPresenter::resumeCommand(project(ResumeStatus::noCwdRecorded, ""), {}), u"cd '' && claude --resume"_s);
    EXPECT_EQ(
        DetailPresenter::resumeCommand(project(ResumeStatus::noCwdRecorded, std::nullopt), accounts), std::nullopt);
}

TEST(DetailStateTest, ChoosingADestination)
{
    DetailState state{.actionNote = u"earlier"_s};
    int asked = 0;
    const auto answer = [&](std::optional<std::string> folder) {
        return [&asked, folder] {
            ++asked;
            return folder;
        };
    };
    EXPECT_EQ(state.chooseDestination(project(ResumeStatus::ok, ""), answer("/x")), std::nullopt);
    EXPECT_EQ(asked, 0) << "no folder is asked for without a recorded directory";
    EXPECT_EQ(state.actionNote, std::nullopt);

    EXPECT_EQ(state.chooseDestination(project(ResumeStatus::ok), answer(std::nullopt)), std::nullopt);
    EXPECT_EQ(state, (DetailState{}));

    const auto first = state.chooseDestination(project(ResumeStatus::ok), answer("/Users/ana/new"));
    ASSERT_TRUE(first);
    EXPECT_EQ(state.actionNote, std::nullopt);
    EXPECT_EQ(state.chosenNewPath, "/Users/ana/new");
    EXPECT_EQ(first->project, project(ResumeStatus::ok));
    EXPECT_EQ(first->oldCwd, "/Users/ana/site");
    EXPECT_EQ(first->newCwd, "/Users/ana/new");
    EXPECT_NE(state.requestMove(project(ResumeStatus::ok), "/Users/ana/new")->id, first->id) << "a new id each time";

    EXPECT_EQ(state.requestMove(project(ResumeStatus::targetMissing), ""), std::nullopt);
    EXPECT_EQ(state.actionNote, u"Choose a destination folder first."_s);
    EXPECT_EQ(state.requestMove(project(ResumeStatus::targetMissing, ""), "/x"), std::nullopt);
}

} // namespace
} // namespace threadhop
