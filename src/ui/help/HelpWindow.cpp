#include "HelpWindow.h"

#include "HelpView.h"

#include <QAction>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

HelpWindow::HelpWindow(const std::vector<HelpSection>& sections, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(u"threadhop-help"_s);
    setWindowTitle(u"Threadhop Help"_s);
    setFixedSize(HelpView::fixedSize);

    auto* close = new QAction(this);
    close->setObjectName(u"closeHelpAction"_s);
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    close->setShortcutContext(Qt::WindowShortcut);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new HelpView(sections, this));
}

} // namespace threadhop
