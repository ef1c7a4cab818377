#include "ui/sessions/SessionsSection.h"
#include "support/ui/FakeDiscovery.h"
#include "theme/Theme.h"
#include "ui/sessions/LineLimitedLabel.h"
#include "ui/sessions/SessionRow.h"
#include "ui/sessions/SessionRowPresenter.h"
#include "ui/sheets/AccountMoveSheet.h"

#include <QLabel>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace threadhop::testing {
namespace {

namespace Presenter = SessionRowPresenter;

SessionInfo session(std::string id, std::int64_t messages = 0, std::vector<std::string> recent = {})
{
    return {.id = std::move(id), .userMessageCount = messages, .recentUserMessages = std::move(recent)};
}

TEST(SessionRowPresenterTest, TheShortIdKeepsEightCharactersAndAlwaysEndsInAnEllipsis)
{
    std::string accented; // eight "é", each an "e" and a combining accent
    for (int i = 0; i < 8; ++i)
        accented += "e\u0301";
    const std::pair<std::string, QString> cases[]{
        {"", u"session:…"_s},
        {"abc", u"session:abc…"_s},
        {"abcdefgh", u"session:abcdefgh…"_s},
        {"ae4a77f8-aedd-4bc1-888f-c94edc91af04", u"session:ae4a77f8…"_s},
        // Characters as a reader counts them, not bytes or code units.
        {accented + "x", u"session:"_s + QString::fromStdString(accented) + u"…"_s},
        {"\U0001F1E9\U0001F1EA1234567-tail", u"session:\U0001F1E9\U0001F1EA1234567…"_s},
    };
    for (const auto& [id, expected] : cases)
        EXPECT_EQ(Presenter::idText(session(id)), expected) << id;
}

TEST(SessionRowPresenterTest, CountsAreWrittenAsTheyAreWithTheirPluralsAsWritten)
{
    EXPECT_EQ(Presenter::sectionTitle(12), u"Sessions (12)"_s);
    EXPECT_EQ(Presenter::messageCountText(session("s", 1)), u"· 1 msg"_s);
    EXPECT_EQ(Presenter::messagesHeading(session("s", 1, {"only"})), u"Last 1 messages (most recent first):"_s);
    EXPECT_EQ(Presenter::messagesHeading(session("s", 9)), std::nullopt) << "the row says it found none instead";
    EXPECT_EQ(Presenter::missingLocationNote(true), std::nullopt);
}

class SessionsSectionTest : public HomeTest {
protected:
    AppEnvironment env{FakeDiscovery().finding()};
    QWidget host;

    SessionsSection& show(std::vector<SessionInfo> sessions, bool pathExists, bool knowsItsAccount = true)
    {
        auto* section = new SessionsSection(
            env, std::move(sessions),
            {.cwd = "/a/b",
             .alias = "claude",
             .pathExists = pathExists,
             .account = knowsItsAccount ? std::optional(account("claude")) : std::nullopt,
             .project = ProjectFolder{.id = "claude:-a-b", .accountId = "claude", .folderName = "-a-b"}},
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
};

TEST_F(SessionsSectionTest, ARowOpensOnItsMessagesCappedAtThreeLinesAndClosesAgain)
{
    EXPECT_EQ(text(show({}, true), u"noSessionsText"_s), u"No sessions."_s);

    SessionsSection& section = show({{.id = "5e55105e-0000-4000-8000-000000000001",
                                      .lastModified = std::chrono::system_clock::now() - std::chrono::hours(3),
                                      .userMessageCount = 12,
                                      .recentUserMessages = {"one\ntwo\nthree\nfour\nfive", "short"}},
                                     {.id = "abc", .userMessageCount = 0}},
                                    false);
    EXPECT_FALSE(has(section, u"noSessionsText"_s));
    ASSERT_EQ(section.rows().size(), 2u);
    SessionRow& row = *section.rows()[0];
    EXPECT_EQ(text(row, u"ageText"_s), u"3 hr. ago"_s);
    EXPECT_FALSE(shows(row, u"sessionDetails"_s)) << "a row starts collapsed";

    child<QToolButton>(row, u"expandButton"_s)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(text(row, u"messagesHeading"_s), u"Last 2 messages (most recent first):"_s);
    const auto messages = row.findChildren<LineLimitedLabel*>(u"messageText"_s);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0]->text(), u"one\ntwo\nthree…"_s) << "at most three lines";
    const QFontMetricsF metrics(messages[0]->font());
    EXPECT_GE(messages[0]->height(), 3 * metrics.lineSpacing());
    EXPECT_LT(messages[0]->height(), 4 * metrics.lineSpacing());
    EXPECT_TRUE(messages[0]->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(messages[1]->text(), u"short"_s);
    EXPECT_TRUE(shows(row, u"missingLocationNote"_s));
    EXPECT_EQ(child<QLabel>(row, u"missingLocationNote"_s)->palette().color(QPalette::WindowText), Theme::broken());

    child<QToolButton>(row, u"expandButton"_s)->click();
    EXPECT_FALSE(shows(row, u"sessionDetails"_s));
    EXPECT_TRUE(shows(row, u"sessionIdText"_s)) << "the header always stays";

    SessionRow& empty = *section.rows()[1];
    empty.setExpanded(true);
    EXPECT_EQ(text(empty, u"noMessagesText"_s), u"No user messages found."_s);
}

TEST_F(SessionsSectionTest, TheRowsSheetMovesItsConversationOnlyWhenItKnowsItsAccount)
{
    QPointer<QDialog> sheet = show({{.id = "abc"}}, true).rows()[0]->presentMoveSheet();
    ASSERT_NE(qobject_cast<AccountMoveSheet*>(sheet.data()), nullptr);
    EXPECT_TRUE(sheet->isVisible());
    sheet->reject();

    sheet = show({{.id = "abc"}}, true, false).rows()[0]->presentMoveSheet();
    EXPECT_EQ(qobject_cast<AccountMoveSheet*>(sheet.data()), nullptr);
    EXPECT_TRUE(sheet->findChildren<QWidget*>().isEmpty()) << "an empty sheet";
    sheet->reject();
}

} // namespace
} // namespace threadhop::testing
