// The account-move road: real transcripts, the real engine, and an account beside the default one
// that discovery alone would never return.
#include "support/ui/FakeDiscovery.h"
#include "support/ui/TranscriptHome.h"
#include "ui/sheets/AccountMoveSheet.h"
#include "ui/widgets/SymbolLabel.h"
#include "ui/widgets/WrappingText.h"

#include "core/discovery/AccountScanner.h"
#include "core/encoding/CwdCodec.h"
#include "core/migration/MigrationAudit.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QThreadPool>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::button;
using testing::child;
using testing::waitUntil;
namespace fs = std::filesystem;

class AccountMoveRoadTest : public testing::HomeTest {
protected:
    // Engine jobs read the temporary home, which goes with the test.
    void TearDown() override { QThreadPool::globalInstance()->waitForDone(); }
};

TEST_F(AccountMoveRoadTest, AForkCopiesTheConversationIntoTheFirstOtherAccountWithFreshIds)
{
    const auto fixture = testing::TranscriptHome::write(home());
    if (!fixture)
        GTEST_SKIP() << "no fixture transcripts";
    AppEnvironment env({.scanAccounts =
                            [&] {
                                auto found = AccountScanner::scan();
                                for (const std::string id : {"claude-work", "claude-zeta"})
                                    found.push_back(testing::account(id, (home() / ("." + id)).string()));
                                return found;
                            },
                        .indexProjects = AppEnvironment::Discovery::standard().indexProjects});
    testing::rescan(env);
    const auto& projects = env.projects("claude");
    const auto project = std::find_if(projects.begin(), projects.end(), [&](const ProjectFolder& each) {
        return each.folderName == CwdCodec::encode(fixture->readyCwd);
    });
    ASSERT_NE(project, projects.end());
    const fs::path source = fixture->folderOf(fixture->readyCwd);
    const std::string original = testing::readFile(source / "short.jsonl");

    QWidget host;
    host.show();
    QPointer<AccountMoveSheet> sheet =
        new AccountMoveSheet(env, env.accounts().front(), *project, {.id = "short", .userMessageCount = 3},
                             fixture->readyCwd, AccountMoveEngine::standard(), &host);
    sheet->open();
    ASSERT_TRUE(waitUntil([&] { return sheet->preview() || sheet->previewError(); }, 60'000));
    EXPECT_EQ(sheet->targetId(), "claude-work");
    EXPECT_EQ(child<QComboBox>(*sheet, u"destinationPicker"_s)->count(), 2);
    EXPECT_TRUE(child<SymbolLabel>(*sheet, u"costEstimate"_s)->text().endsWith(u" tokens** on claude-work"_s));
    button(*sheet, u"primaryButton"_s).click();
    ASSERT_TRUE(waitUntil([&] { return stageOf(sheet->phase()) == SheetStage::finished; }, 60'000));
    ASSERT_TRUE(std::holds_alternative<SheetPhases::Done>(sheet->phase()))
        << child<SymbolLabel>(*sheet, u"failureLabel"_s)->text().toStdString();

    const auto history = MigrationAudit::records();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].targetAccountId, "claude-work");
    ASSERT_TRUE(history[0].newSessionId);
    const QString newId = QString::fromStdString(*history[0].newSessionId);
    const fs::path target = home() / ".claude-work" / "projects" / CwdCodec::encode(fixture->readyCwd);
    const std::string copy = testing::readFile(target / (*history[0].newSessionId + ".jsonl"));
    EXPECT_EQ(copy.find("55604662-cf2a-4331-851a-ec234028f8ca"), std::string::npos) << "the original's id is gone";
    EXPECT_EQ(testing::readFile(source / "short.jsonl"), original);
    for (const fs::path& folder : {source, target})
        EXPECT_TRUE(fs::is_regular_file(folder / "THREADHOP-MOVES.md")) << folder;

    EXPECT_EQ(child<QLabel>(*sheet, u"reportMessage"_s)->text(), QString::fromStdString(*history[0].message));
    EXPECT_EQ(child<QLabel>(*sheet, u"newSessionIdText"_s)->text(), u"New session id: "_s + newId);
    EXPECT_EQ(child<WrappingText>(*sheet, u"resumeCommandText"_s)->text(),
              u"cd '"_s + QString::fromStdString(fixture->readyCwd) + u"' && claude-work --resume "_s + newId);
    EXPECT_EQ(child<QLabel>(*sheet, u"movesNote"_s)->text(),
              u"A note was written to THREADHOP-MOVES.md in both project folders."_s);
    EXPECT_EQ(button(*sheet, u"revealBackupButton"_s).text(), u"Show backup in folder"_s);
    EXPECT_TRUE(button(*sheet, u"revealBackupButton"_s).isVisible());

    button(*sheet, u"closeButton"_s).click();
    EXPECT_TRUE(env.isScanning()) << "Close rescans";
    ASSERT_TRUE(waitUntil([&] { return sheet.isNull() && !env.isScanning(); }));
}

} // namespace
} // namespace threadhop
