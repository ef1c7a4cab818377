#pragma once

#include <QString>
#include <QToolButton>

#include <string_view>
#include <vector>

class QMenu;

namespace threadhop {

/// A menu button that runs a shell command in a new terminal window (Terminal, or iTerm where it
/// is installed) or copies it.
class OpenInTerminalMenu final : public QToolButton {
    Q_OBJECT

public:
    enum class Item { terminal, iTerm, divider, copyCommand };

    OpenInTerminalMenu(QString command, const QString& label, bool enabled, QWidget* parent = nullptr);

    const QString& command() const { return m_command; }

    /// The items in menu order: "iTerm" only when `iTermInstalled`.
    static std::vector<Item> items(bool iTermInstalled);
    /// "Terminal", "iTerm", "" for the divider, "Copy command".
    static QString itemText(Item item);

private:
    void rebuildMenu();
    void run(Item item);

    QString m_command;
    QMenu* m_menu;
};

} // namespace threadhop
