#include "OpenInTerminalMenu.h"

#include "Clipboard.h"
#include "QtText.h"
#include "theme/Symbols.h"

#include "core/util/platform/TerminalLauncher.h"

#include <QMenu>

using namespace Qt::StringLiterals;

namespace threadhop {

OpenInTerminalMenu::OpenInTerminalMenu(QString command, const QString& label, bool enabled, QWidget* parent)
    : QToolButton(parent), m_command(std::move(command)), m_menu(new QMenu(this))
{
    setObjectName(u"openInTerminalMenu"_s);
    setText(label);
    setIcon(Symbols::icon(Symbol::terminal));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAutoRaise(true);
    setPopupMode(QToolButton::InstantPopup);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setMenu(m_menu);
    setEnabled(enabled);
    // iTerm may be installed or removed while the application runs.
    connect(m_menu, &QMenu::aboutToShow, this, &OpenInTerminalMenu::rebuildMenu);
    rebuildMenu();
}

std::vector<OpenInTerminalMenu::Item> OpenInTerminalMenu::items(bool iTermInstalled)
{
    if (iTermInstalled)
        return {Item::terminal, Item::iTerm, Item::divider, Item::copyCommand};
    return {Item::terminal, Item::divider, Item::copyCommand};
}

QString OpenInTerminalMenu::itemText(Item item)
{
    switch (item) {
    case Item::terminal:
        return u"Terminal"_s;
    case Item::iTerm:
        return u"iTerm"_s;
    case Item::divider:
        return {};
    case Item::copyCommand:
        return u"Copy command"_s;
    }
    return {};
}

void OpenInTerminalMenu::rebuildMenu()
{
    m_menu->clear();
    for (const Item item : items(TerminalLauncher::iTermInstalled())) {
        if (item == Item::divider) {
            m_menu->addSeparator();
            continue;
        }
        QAction* action = m_menu->addAction(itemText(item));
        connect(action, &QAction::triggered, this, [this, item] { run(item); });
    }
}

void OpenInTerminalMenu::run(Item item)
{
    const std::string command = toStdString(m_command);
    switch (item) {
    case Item::terminal:
        TerminalLauncher::openInTerminal(command);
        return;
    case Item::iTerm:
        TerminalLauncher::openInITerm(command);
        return;
    case Item::copyCommand:
        Clipboard::copy(m_command);
        return;
    case Item::divider:
        return;
    }
}

} // namespace threadhop
