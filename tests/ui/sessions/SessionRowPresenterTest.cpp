#include "ui/sessions/SessionRowPresenter.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
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
    EXPECT_EQ(Presenter::sectionTitle(0), u"Sessions (0)"_s);
    EXPECT_EQ(Presenter::sectionTitle(12), u"Sessions (12)"_s);
    EXPECT_EQ(Presenter::messageCountText(session("s", 1)), u"· 1 msg"_s);
    EXPECT_EQ(Presenter::messageCountText(session("s", 12345)), u"· 12345 msg"_s);
    EXPECT_EQ(Presenter::messagesHeading(session("s", 1, {"only"})), u"Last 1 messages (most recent first):"_s);
    EXPECT_EQ(Presenter::messagesHeading(session("s", 9, {"a", "b"})), u"Last 2 messages (most recent first):"_s);
    EXPECT_EQ(Presenter::messagesHeading(session("s", 9)), std::nullopt) << "the row says it found none instead";
}

TEST(SessionRowPresenterTest, OnlyAMissingLocationGetsItsNote)
{
    EXPECT_EQ(Presenter::missingLocationNote(false), u"(migrate first — the location is missing)"_s);
    EXPECT_EQ(Presenter::missingLocationNote(true), std::nullopt);
}

} // namespace
} // namespace threadhop
