#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/CopyButton.h"
#include "ui/widgets/OpenInTerminalMenu.h"
#include "core/util/platform/TerminalLauncher.h"
#include "ui/widgets/StatusDot.h"
#include "ui/widgets/WrappingText.h"
#include "theme/Symbols.h"
#include "theme/Theme.h"
#include "support/ui/UiTest.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;

// Something of several kinds on the clipboard, so that a copy must replace all of it.
void fillClipboard()
{
    auto* data = new QMimeData;
    data->setHtml(u"<b>old</b>"_s);
    data->setText(u"old"_s);
    data->setImageData(QImage(2, 2, QImage::Format_RGB32));
    QGuiApplication::clipboard()->setMimeData(data);
}

void expectClipboardHoldsOnly(const QString& text)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), text);
    EXPECT_FALSE(data->hasHtml());
    EXPECT_FALSE(data->hasImage());
}

TEST(SharedComponentsTest, CommandBlockShowsTheCommandVerbatimAndCopiesExactlyIt)
{
    const QString command = uR"(cd '/Users/a/it'\''s <b>here</b>' && claude --resume)"_s;
    const CommandBlock block(command);
    const auto* text = testing::child<WrappingText>(block, u"commandText"_s);
    EXPECT_EQ(text->text(), command);
    EXPECT_EQ(text->toHtml().contains(u"<b>here</b>"_s), false) << "shown verbatim, never read as markup";
    EXPECT_TRUE(text->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    auto* copy = testing::child<QToolButton>(block, u"copyCommandButton"_s);
    EXPECT_EQ(copy->toolTip(), u"Copy this command"_s);

    fillClipboard();
    copy->click();
    expectClipboardHoldsOnly(command);
}

TEST(SharedComponentsTest, CommandBlockWithAnEmptyCommandStillCopies)
{
    const CommandBlock block({});
    auto* copy = testing::child<QToolButton>(block, u"copyCommandButton"_s);
    EXPECT_TRUE(copy->isEnabled());
    fillClipboard();
    copy->click();
    expectClipboardHoldsOnly({});
}

TEST(SharedComponentsTest, CopyButtonCopiesItsValueAndIsDisabledWithoutOne)
{
    CopyButton button(u"/Users/ana/site"_s, u"Copy this project's path"_s);
    EXPECT_EQ(button.toolTip(), u"Copy this project's path"_s);
    EXPECT_TRUE(button.isEnabled());
    fillClipboard();
    button.click();
    expectClipboardHoldsOnly(u"/Users/ana/site"_s);

    button.setValue({});
    EXPECT_FALSE(button.isEnabled());
}

TEST(SharedComponentsTest, StatusDotIsExactlyItsSize)
{
    StatusDot dot(Theme::broken(), 10);
    EXPECT_EQ(dot.size(), QSize(10, 10));
    EXPECT_EQ(dot.minimumSize(), dot.maximumSize());
    const QImage image = dot.grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2).rgb(), Theme::broken().rgb());
}

TEST(SharedComponentsTest, EverySymbolComesFromTheInstalledIconTheme)
{
    // A misspelt theme name would fall back to a generic standard icon without anyone noticing.
    for (int value = 0; value <= static_cast<int>(Symbol::xmarkOctagonFill); ++value) {
        const QIcon icon = Symbols::icon(static_cast<Symbol>(value));
        EXPECT_FALSE(icon.isNull()) << value;
        EXPECT_FALSE(icon.name().isEmpty()) << "symbol " << value << " is not in the icon theme";
    }
}

TEST(OpenInTerminalMenuTest, ITermAppearsOnlyWhereInstalled)
{
    using Item = OpenInTerminalMenu::Item;
    EXPECT_EQ(OpenInTerminalMenu::items(false), (std::vector<Item>{Item::terminal, Item::divider, Item::copyCommand}));
    EXPECT_EQ(OpenInTerminalMenu::items(true),
        (std::vector<Item>{Item::terminal, Item::iTerm, Item::divider, Item::copyCommand}));
    EXPECT_EQ(OpenInTerminalMenu::itemText(Item::terminal), u"Terminal"_s);
    EXPECT_EQ(OpenInTerminalMenu::itemText(Item::iTerm), u"iTerm"_s);
    EXPECT_EQ(OpenInTerminalMenu::itemText(Item::copyCommand), u"Copy command"_s);
}

TEST(OpenInTerminalMenuTest, MenuOnThisMachineAndCopyCommand)
{
    const QString command = u"cd '/p' && claude --resume"_s;
    OpenInTerminalMenu menu(command, u"Resume in Terminal"_s, true);
    EXPECT_EQ(menu.text(), u"Resume in Terminal"_s);
    QStringList texts;
    QAction* copy = nullptr;
    for (QAction* action : menu.menu()->actions()) {
        texts << (action->isSeparator() ? u"—"_s : action->text());
        if (action->text() == u"Copy command"_s)
            copy = action;
    }
    const QStringList expected = TerminalLauncher::iTermInstalled()
        ? QStringList{u"Terminal"_s, u"iTerm"_s, u"—"_s, u"Copy command"_s}
        : QStringList{u"Terminal"_s, u"—"_s, u"Copy command"_s};
    EXPECT_EQ(texts, expected);

    ASSERT_NE(copy, nullptr);
    fillClipboard();
    copy->trigger();
    expectClipboardHoldsOnly(command);

    const OpenInTerminalMenu disabled(command, u"Resume in Terminal"_s, false);
    EXPECT_FALSE(disabled.isEnabled());
}

} // namespace
} // namespace threadhop
