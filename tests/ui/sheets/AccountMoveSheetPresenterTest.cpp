#include "ui/sheets/AccountMoveSheetPresenter.h"

#include "theme/Theme.h"
#include "support/ui/QtPrinters.h"
#include "support/TempHome.h"

#include "core/migration/AccountMover.h"

#include <QPalette>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
namespace Presenter = AccountMoveSheetPresenter;

ClaudeAccount account(std::string id, std::optional<std::string> configDir)
{
    return {.id = id, .label = id, .alias = id, .configDir = std::move(configDir)};
}

class AccountMoveSheetPresenterTest : public testing::HomeTest {
protected:
    const ClaudeAccount source = account("claude", std::nullopt);
    const ProjectFolder project{.id = "claude:-a-b", .accountId = "claude", .folderName = "-a-b"};
    const SessionInfo session{.id = "5e55105e-0000-4000-8000-000000000001", .userMessageCount = 1};
};

TEST_F(AccountMoveSheetPresenterTest, CandidatesLeaveOutExactlyTheAccountsTheEngineRefusesAsTheSource)
{
    const std::string claude = (home() / ".claude").string();
    const std::vector<ClaudeAccount> accounts{account("work", claude + "-work"), source, account("slash", claude + "/"),
        account("dots", (home() / "x" / ".." / ".claude").string()), account("twice", claude + "//"),
        account("other", claude + "-work/../.claude-other")};
    const auto candidates = Presenter::candidates(accounts, source);
    std::vector<std::string> ids;
    for (const auto& candidate : candidates)
        ids.push_back(candidate.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"work", "other"}));

    for (const auto& candidate : accounts) {
        const bool offered = std::find(ids.begin(), ids.end(), candidate.id) != ids.end();
        bool refused = false;
        try {
            AccountMover::preview({.source = source, .target = candidate, .sessionId = "s", .launchCwd = "/a/b"});
        } catch (const AccountMoveError& error) {
            refused = error.kind() == AccountMoveError::Kind::sameAccount;
        } catch (const std::exception&) {
        }
        EXPECT_NE(offered, refused) << candidate.id;
    }
    EXPECT_EQ(Presenter::target(accounts, "slash"), accounts[2]);
    EXPECT_EQ(Presenter::target(candidates, "slash"), std::nullopt);
    EXPECT_EQ(Presenter::target(candidates, ""), std::nullopt);
}

TEST_F(AccountMoveSheetPresenterTest, TheEngineIsAlwaysAskedForTheSameDirectoryWithoutRewritingHistory)
{
    const ClaudeAccount work = account("work", "/w");
    EXPECT_EQ(Presenter::makeInput(source, std::nullopt, project, session, "/a/b", {}), std::nullopt);
    const auto input = Presenter::makeInput(source, work, project, session, "/a/b", {});
    ASSERT_TRUE(input);
    EXPECT_EQ(*input,
        (AccountMoveInput{.source = source,
            .target = work,
            .sessionId = session.id,
            .sourceFolderName = "-a-b",
            .launchCwd = "/a/b",
            .newCwd = std::nullopt,
            .mode = MoveMode::fork,
            .scope = TranscriptScope::full(),
            .rewriteHistory = false}));
    const auto trimmed = Presenter::makeInput(source, work, project, session, "/a/b", {MoveMode::clone, true, 200});
    EXPECT_EQ(trimmed->scope, TranscriptScope::trimmed(200));
    EXPECT_EQ(trimmed->mode, MoveMode::clone);
    EXPECT_EQ(Presenter::moveButtonTitle(MoveMode::fork), u"Fork"_s);
    EXPECT_EQ(Presenter::moveButtonTitle(MoveMode::clone), u"Clone"_s);
}

TEST_F(AccountMoveSheetPresenterTest, CanMoveFailsAtEachOfItsFiveSteps)
{
    const std::optional<ClaudeAccount> target = account("work", "/w");
    const AccountMovePreview sound;
    AccountMovePreview collision;
    collision.collision = true;
    AccountMovePreview unanswered;
    unanswered.integrity.unansweredInMiddle = {"toolu_1"};
    AccountMovePreview atTheEnd;
    atTheEnd.integrity.unansweredAtTail = {"toolu_2"};
    const std::optional<QString> error = u"The transcript is gone."_s;
    // target, preview, preview error, trim → may move
    const std::tuple<std::optional<ClaudeAccount>, std::optional<AccountMovePreview>, std::optional<QString>, bool,
        bool>
        cases[]{
            {target, sound, std::nullopt, false, true},
            {target, atTheEnd, std::nullopt, false, true},
            {std::nullopt, sound, std::nullopt, false, false},
            {target, std::nullopt, std::nullopt, false, false},
            {target, sound, error, false, false},
            {target, collision, std::nullopt, false, false},
            {target, collision, std::nullopt, true, false},
            {target, unanswered, std::nullopt, false, false},
            {target, unanswered, std::nullopt, true, true},
        };
    int row = 0;
    for (const auto& [destination, preview, previewError, trim, expected] : cases)
        EXPECT_EQ(Presenter::canMove(destination, preview, previewError, trim), expected) << "row " << row++;
}

TEST_F(AccountMoveSheetPresenterTest, AccountTextsSayWhoIsSignedIn)
{
    ClaudeAccount signedIn = account("claude-work", "/w");
    signedIn.identity = AccountIdentity{.emailAddress = "ana@example.com"};
    const ClaudeAccount nobody = account("claude-x", "/x");
    EXPECT_EQ(Presenter::pickerText(signedIn), u"claude-work — ana@example.com"_s);
    EXPECT_EQ(Presenter::pickerText(nobody), u"claude-x — not signed in"_s);
    const QPalette palette;
    EXPECT_EQ(Presenter::accountLabel(signedIn, palette),
        (Presenter::AccountLabel{u"claude-work"_s, u"— ana@example.com"_s, Theme::secondaryText(palette)}));
    EXPECT_EQ(Presenter::accountLabel(nobody, palette),
        (Presenter::AccountLabel{u"claude-x"_s, u"— not signed in"_s, Theme::warn()}));

    EXPECT_EQ(Presenter::sessionText(session), u"5e55105e… · 1 messages"_s) << "the plural stays";
    EXPECT_EQ(Presenter::sessionText({.id = "abc", .userMessageCount = 0}), u"abc… · 0 messages"_s);
    EXPECT_EQ(Presenter::sessionText({.id = "abcdefgh", .userMessageCount = 7}), u"abcdefgh… · 7 messages"_s);
}

} // namespace
} // namespace threadhop
