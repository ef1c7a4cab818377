#include "ui/sheets/AccountMoveSheet.h"
#include "ui/widgets/SymbolLabel.h"
#include "support/ui/DiscoveryGate.h"
#include "support/ui/UiTest.h"

#include "ui/state/AppEnvironment.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QThreadPool>

#include <map>
#include <mutex>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;
using testing::waitUntil;

ClaudeAccount account(const std::string& id)
{
    return {.id = id, .label = id, .alias = id, .configDir = "/accounts/" + id};
}

// Each destination's previews wait at that destination's gate, then name it or fail as the test
// says; moves wait at their own gate and fail.
struct FakeEngine {
    std::mutex mutex;
    std::map<std::string, testing::DiscoveryGate> gates;
    std::map<std::string, std::string> errors;
    std::atomic<int> started = 0;
    std::atomic<int> finished = 0;
    testing::DiscoveryGate moveGate;

    testing::DiscoveryGate& gate(const std::string& target)
    {
        std::lock_guard lock(mutex);
        return gates[target];
    }
};

class AccountMoveSheetTest : public testing::HomeTest {
protected:
    std::shared_ptr<FakeEngine> fake = std::make_shared<FakeEngine>();
    std::shared_ptr<std::vector<ClaudeAccount>> accounts = std::make_shared<std::vector<ClaudeAccount>>(
        std::vector{account("claude"), account("a"), account("b"), account("c")});
    std::shared_ptr<std::atomic<int>> scans = std::make_shared<std::atomic<int>>(0);
    AppEnvironment env{{.scanAccounts =
                            [accounts = accounts, scans = scans] {
                                ++*scans;
                                return *accounts;
                            },
        .indexProjects = [](const ClaudeAccount&) { return std::vector<ProjectFolder>{}; }}};
    const int savedThreads = QThreadPool::globalInstance()->maxThreadCount();
    QWidget host;
    QPointer<AccountMoveSheet> sheet;

    AccountMoveSheetTest()
    {
        // Several previews wait at once, more than a small machine has threads for.
        QThreadPool::globalInstance()->setMaxThreadCount(8);
        rescan();
        host.show();
        AccountMoveEngine engine{.preview =
                                     [fake = fake](const AccountMoveInput& input) {
                                         ++fake->started;
                                         fake->gate(input.target.id).enter();
                                         ++fake->finished;
                                         if (fake->errors.contains(input.target.id))
                                             throw std::runtime_error(fake->errors.at(input.target.id));
                                         return AccountMovePreview{.targetFolder = input.target.id};
                                     },
            .move = [fake = fake](const AccountMoveInput&, const std::string&) -> MigrationRecord {
                fake->moveGate.enter();
                throw std::runtime_error("No space left on device");
            }};
        sheet = new AccountMoveSheet(
            env, accounts->front(), {.folderName = "-a-b"}, {.id = "abc"}, "/a/b", std::move(engine), &host);
        sheet->open();
    }

    ~AccountMoveSheetTest() override
    {
        for (const char* id : {"a", "b", "c"})
            fake->gate(id).openForAll();
        fake->moveGate.openForAll();
        QThreadPool::globalInstance()->waitForDone();
        QThreadPool::globalInstance()->setMaxThreadCount(savedThreads);
    }

    void rescan()
    {
        env.scan();
        ASSERT_TRUE(waitUntil([&] { return !env.isScanning(); }));
    }

    // Lets the n-th preview finish and every finished one reach the sheet.
    void finish(const std::string& target, int ticket, int previews)
    {
        fake->gate(target).release(ticket);
        // Once its thread is idle again, a finished job has posted its outcome.
        ASSERT_TRUE(waitUntil([&] {
            return fake->finished == previews
                && QThreadPool::globalInstance()->activeThreadCount() == fake->started - previews;
        }));
        QCoreApplication::processEvents();
    }

    QPushButton& button(const QString& name) { return *child<QPushButton>(*sheet, name); }
    QComboBox& picker() { return *child<QComboBox>(*sheet, u"destinationPicker"_s); }
    bool shows(const QString& name) { return sheet->findChild<QWidget*>(name) != nullptr; }
};

TEST_F(AccountMoveSheetTest, OnlyTheOutcomeForTheDestinationChosenLastIsShown)
{
    EXPECT_EQ(sheet->targetId(), "a") << "the first other account is picked on appearance";
    ASSERT_EQ(picker().count(), 3);
    EXPECT_EQ(picker().itemText(0), u"a — not signed in"_s);
    picker().setCurrentIndex(1);
    picker().setCurrentIndex(2);
    finish("c", 1, 1);
    finish("b", 1, 2);
    finish("a", 1, 3);
    ASSERT_TRUE(sheet->preview());
    EXPECT_EQ(sheet->preview()->targetFolder, "c") << "earlier destinations that finished later are dropped";
    EXPECT_TRUE(shows(u"costSection"_s));
    EXPECT_TRUE(button(u"primaryButton"_s).isEnabled());

    // An error for a destination no longer chosen never shows; one for the chosen one replaces the preview.
    fake->errors["b"] = "The transcript is gone.";
    picker().setCurrentIndex(1);
    picker().setCurrentIndex(0);
    finish("b", 2, 4);
    ASSERT_TRUE(sheet->preview());
    EXPECT_EQ(sheet->preview()->targetFolder, "c") << "the chosen destination's preview has not arrived";
    finish("a", 2, 5);
    ASSERT_TRUE(sheet->preview());
    EXPECT_EQ(sheet->preview()->targetFolder, "a");

    picker().setCurrentIndex(1);
    finish("b", 3, 6);
    EXPECT_FALSE(sheet->preview());
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"previewErrorLabel"_s)->text(), u"The transcript is gone."_s);
    EXPECT_FALSE(shows(u"costSection"_s) || shows(u"warnings"_s)) << "only the error shows";
    EXPECT_FALSE(button(u"primaryButton"_s).isEnabled());
}

TEST_F(AccountMoveSheetTest, TheDestinationsFollowARescan)
{
    finish("a", 1, 1);
    *accounts = {account("claude"), account("b")};
    rescan();
    ASSERT_EQ(picker().count(), 1);
    EXPECT_EQ(picker().currentIndex(), -1) << "the chosen destination is gone";
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"costEstimate"_s)->text(),
        u"Resuming re-sends about **0 tokens** on the destination"_s);
    EXPECT_FALSE(button(u"primaryButton"_s).isEnabled());
}

TEST_F(AccountMoveSheetTest, NothingCanBeChosenOnceTheMoveStartsAndCloseRescansAfterAFailure)
{
    finish("a", 1, 1);
    button(u"primaryButton"_s).click();
    EXPECT_TRUE(shows(u"movingProgress"_s));
    EXPECT_FALSE(picker().isEnabled());
    for (const auto& name : {u"cancelButton"_s, u"primaryButton"_s, u"closeButton"_s, u"revealBackupButton"_s})
        EXPECT_FALSE(button(name).isVisible()) << name.toStdString();
    fake->moveGate.openForAll();
    ASSERT_TRUE(waitUntil([&] { return std::holds_alternative<SheetPhases::Failed>(sheet->phase()); }));
    EXPECT_EQ(child<SymbolLabel>(*sheet, u"failureLabel"_s)->text(), u"No space left on device"_s);
    EXPECT_FALSE(picker().isEnabled());
    EXPECT_FALSE(button(u"revealBackupButton"_s).isVisible());
    const int scansBefore = *scans;
    button(u"closeButton"_s).click();
    ASSERT_TRUE(waitUntil([&] { return sheet.isNull() && !env.isScanning(); }));
    EXPECT_EQ(*scans, scansBefore + 1);
}

} // namespace
} // namespace threadhop
