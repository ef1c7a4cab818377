#include "ui/sessions/LineLimitedLabel.h"
#include "ui/sessions/SessionRow.h"
#include "ui/sessions/SessionsSection.h"
#include "ui/sheets/AccountMoveSheet.h"
#include "ui/widgets/SymbolLabel.h"
#include "theme/Theme.h"
#include "support/ui/UiTest.h"

#include "ui/state/AppEnvironment.h"

#include <QLabel>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;

class SessionsSectionTest : public testing::HomeTest {
protected:
    AppEnvironment env{{.scanAccounts = [] { return std::vector<ClaudeAccount>{}; },
        .indexProjects = [](const ClaudeAccount&) { return std::vector<ProjectFolder>{}; }}};
    const ClaudeAccount account{.id = "claude", .label = "claude (default)", .alias = "claude"};
    const ProjectFolder project{.id = "claude:-a-b", .accountId = "claude", .folderName = "-a-b"};
    QWidget host;

    SessionsSection& show(std::vector<SessionInfo> sessions, bool pathExists, bool knowsItsProject = true)
    {
        auto* section = new SessionsSection(env, std::move(sessions),
            {.cwd = "/a/b",
                .alias = "claude",
                .pathExists = pathExists,
                .account = knowsItsProject ? std::optional(account) : std::nullopt,
                .project = project},
            &host);
        delete host.layout();
        auto* layout = new QVBoxLayout(&host);
        layout->addWidget(section);
        layout->addStretch(1);
        host.resize(420, 600);
        host.show();
        return *section;
    }

    static QString text(QWidget& row, const QString& name) { return child<QLabel>(row, name)->text(); }
    static bool visible(QWidget& row, const QString& name)
    {
        auto* widget = row.findChild<QWidget*>(name);
        return widget && widget->isVisible();
    }
};

TEST_F(SessionsSectionTest, WithoutSessionsOnlyTheHeadingAndItsNoteShow)
{
    SessionsSection& section = show({}, true);
    EXPECT_EQ(child<SymbolLabel>(section, u"sessionsTitle"_s)->text(), u"Sessions (0)"_s);
    EXPECT_EQ(text(section, u"noSessionsText"_s), u"No sessions."_s);
    EXPECT_TRUE(section.rows().empty());
}

TEST_F(SessionsSectionTest, ARowOpensOnItsMessagesCappedAtThreeLinesAndClosesAgain)
{
    const auto now = std::chrono::system_clock::now();
    SessionsSection& section = show({{.id = "5e55105e-0000-4000-8000-000000000001",
                                         .lastModified = now - std::chrono::hours(3),
                                         .userMessageCount = 12,
                                         .recentUserMessages = {"one\ntwo\nthree\nfour\nfive", "short"}},
                                        {.id = "abc", .lastModified = now, .userMessageCount = 0}},
        false);
    EXPECT_EQ(child<SymbolLabel>(section, u"sessionsTitle"_s)->text(), u"Sessions (2)"_s);
    EXPECT_FALSE(section.findChild<QWidget*>(u"noSessionsText"_s));
    ASSERT_EQ(section.rows().size(), 2u);
    SessionRow& row = *section.rows()[0];
    EXPECT_EQ(text(row, u"sessionIdText"_s), u"session:5e55105e…"_s);
    EXPECT_EQ(text(row, u"messageCountText"_s), u"· 12 msg"_s);
    EXPECT_EQ(text(row, u"ageText"_s), u"3 hr. ago"_s);
    EXPECT_FALSE(visible(row, u"sessionDetails"_s)) << "a row starts collapsed";

    child<QToolButton>(row, u"expandButton"_s)->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(row.isExpanded());
    EXPECT_EQ(text(row, u"messagesHeading"_s), u"Last 2 messages (most recent first):"_s);
    const auto messages = row.findChildren<LineLimitedLabel*>(u"messageText"_s);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0]->text(), u"one\ntwo\nthree…"_s) << "at most three lines";
    const QFontMetricsF metrics(messages[0]->font());
    EXPECT_GE(messages[0]->height(), 3 * metrics.lineSpacing());
    EXPECT_LT(messages[0]->height(), 4 * metrics.lineSpacing());
    EXPECT_TRUE(messages[0]->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(messages[1]->text(), u"short"_s);
    EXPECT_EQ(text(row, u"missingLocationNote"_s), u"(migrate first — the location is missing)"_s);
    EXPECT_EQ(child<QLabel>(row, u"missingLocationNote"_s)->palette().color(QPalette::WindowText), Theme::broken());

    child<QToolButton>(row, u"expandButton"_s)->click();
    EXPECT_FALSE(visible(row, u"sessionDetails"_s));
    EXPECT_TRUE(visible(row, u"sessionIdText"_s)) << "the header always stays";

    SessionRow& empty = *section.rows()[1];
    empty.setExpanded(true);
    EXPECT_EQ(text(empty, u"sessionIdText"_s), u"session:abc…"_s);
    EXPECT_EQ(text(empty, u"noMessagesText"_s), u"No user messages found."_s);
    EXPECT_TRUE(visible(empty, u"missingLocationNote"_s));
}

TEST_F(SessionsSectionTest, TheRowsSheetMovesItsConversationOnlyWhenItKnowsItsAccount)
{
    SessionsSection& known = show({{.id = "abc"}}, true);
    QPointer<QDialog> sheet = known.rows()[0]->presentMoveSheet();
    auto* move = qobject_cast<AccountMoveSheet*>(sheet.data());
    ASSERT_NE(move, nullptr);
    EXPECT_TRUE(move->isVisible());
    EXPECT_EQ(move->windowModality(), Qt::WindowModal);
    sheet->reject();

    SessionsSection& unknown = show({{.id = "abc"}}, true, false);
    sheet = unknown.rows()[0]->presentMoveSheet();
    EXPECT_EQ(qobject_cast<AccountMoveSheet*>(sheet.data()), nullptr);
    EXPECT_TRUE(sheet->findChildren<QWidget*>().isEmpty()) << "an empty sheet";
    sheet->reject();
}

} // namespace
} // namespace threadhop
