#include "support/ui/UiTest.h"
#include "ui/help/HelpContent.h"
#include "ui/help/HelpView.h"
#include "ui/help/HelpWindow.h"
#include "ui/widgets/CommandBlock.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>

namespace threadhop::testing {
namespace {

const HelpSection& section(const std::vector<HelpSection>& sections, const QString& id)
{
    const auto found = std::find_if(sections.begin(), sections.end(), [&](const auto& s) { return s.id == id; });
    EXPECT_NE(found, sections.end()) << id.toStdString();
    return *found;
}

TEST(HelpContentTest, TheTenSectionsInOrderTheProductPagesFallbackAndThePlatformsWords)
{
    const auto sections = HelpContent::all(u"https://example.com/threadhop"_s);
    QStringList ids;
    for (const auto& each : sections)
        ids.append(each.id);
    EXPECT_EQ(ids,
              (QStringList{u"what"_s, u"move"_s, u"repair"_s, u"suggestions"_s, u"populated"_s, u"ephemeral"_s,
                           u"resume"_s, u"safety"_s, u"history"_s, u"support"_s}));
    EXPECT_EQ(std::pair(HelpContent::productPageParagraph(u"https://a.example"_s, u"Visit our page."_s),
                        HelpContent::productPageParagraph(QString(), u"Visit our page."_s)),
              std::pair(u"https://a.example"_s, u"Visit our page."_s));
    const QString history = section(sections, u"history"_s).paragraphs.at(0);
    EXPECT_TRUE(history.contains(u"dry runs change nothing and are not listed"_s))
        << "the history file holds no dry runs, so the window lists none";

    const QString ephemeral = section(sections, u"ephemeral"_s).paragraphs.at(0);
#ifdef __APPLE__
    EXPECT_TRUE(ephemeral.contains(u"a directory that macOS creates"_s));
#else
    EXPECT_TRUE(ephemeral.contains(u"a directory that the system creates"_s)) << ephemeral.toStdString();
    for (const auto& shown : sections)
        EXPECT_FALSE(shown.paragraphs.join(u' ').contains(u"macOS"_s)) << shown.id.toStdString();
#endif
}

TEST(HelpContentTest, OnlyAParagraphStartingWithCdAndASpaceIsACommand)
{
    const std::pair<QString, bool> cases[]{{u"cd '/path/to/your/project' && claude --resume"_s, true},
                                           {u"cd"_s, false},
                                           {u"cd\t/x"_s, false},
                                           {u" cd /x"_s, false},
                                           {u"CD /x"_s, false}};
    for (const auto& [text, command] : cases)
        EXPECT_EQ(HelpContent::isCommand(text), command) << text.toStdString();
}

TEST(HelpWindowTest, ParagraphsInAFixedScrollingFrameThatEscapeAndControlWClose)
{
    HelpWindow window(HelpContent::all(u"https://example.com/threadhop"_s));
    window.show();
    auto* view = child<HelpView>(window, u"helpView"_s);
    EXPECT_EQ(view->size(), QSize(560, 620));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the user cannot resize it";
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0) << "the longer text scrolls inside the frame";

    // Of all the paragraphs, only the resume command is one.
    const auto blocks = view->findChildren<CommandBlock*>();
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_EQ(blocks.front()->parentWidget(), child<QWidget>(*view, u"resume"_s));
    EXPECT_EQ(blocks.front()->command(), u"cd '/path/to/your/project' && claude --resume"_s);
    EXPECT_EQ(child<QWidget>(*view, u"support"_s)->findChild<QLabel*>(u"helpParagraph"_s)->text(),
              u"https://example.com/threadhop"_s);

    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keySequence(&window, keys);
        EXPECT_FALSE(window.isVisible()) << keys.toString().toStdString();
    }
}

} // namespace
} // namespace threadhop::testing
