#include "FinderButton.h"

#include "theme/PlatformWords.h"
#include "theme/Symbols.h"

#include <QDesktopServices>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace threadhop {

FinderButton::FinderButton(QString path, QWidget* parent) : QToolButton(parent), m_path(std::move(path))
{
    setObjectName(u"finderButton"_s);
    setText(PlatformWords::say(u"Finder"_s));
    setIcon(Symbols::icon(Symbol::folder));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(this, &QToolButton::clicked, this, [this] { QDesktopServices::openUrl(folderUrl(m_path)); });
}

QUrl FinderButton::folderUrl(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

} // namespace threadhop
