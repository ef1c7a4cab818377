#include "ui/help/HelpWindow.h"
#include "ui/widgets/CommandBlock.h"
#include "ui/help/HelpView.h"
#include "support/ui/UiTest.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;

TEST(HelpWindowTest, ParagraphsAsTextOrCommandBlocksInAFixedScrollingFrame)
{
    HelpWindow window(HelpContent::all(u"https://example.com/threadhop"_s));
    window.show();
    auto* view = child<HelpView>(window, u"helpView"_s);
    EXPECT_EQ(view->size(), QSize(560, 620));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0) << "the longer text scrolls inside the frame";

    auto* resume = child<QWidget>(*view, u"resume"_s);
    const auto blocks = resume->findChildren<CommandBlock*>();
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_EQ(blocks.front()->command(), u"cd '/path/to/your/project' && claude --resume"_s);
    const auto texts = resume->findChildren<QLabel*>(u"helpParagraph"_s);
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts.front()->text().endsWith(u':'));
    EXPECT_EQ(view->findChildren<CommandBlock*>().size(), 1);
    EXPECT_EQ(child<QWidget>(*view, u"support"_s)->findChild<QLabel*>(u"helpParagraph"_s)->text(),
        u"https://example.com/threadhop"_s);
}

TEST(HelpWindowTest, EscapeAndControlWCloseIt)
{
    HelpWindow window(HelpContent::all(u"x"_s));
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keySequence(&window, keys);
        EXPECT_FALSE(window.isVisible()) << keys.toString().toStdString();
    }
}

} // namespace
} // namespace threadhop
