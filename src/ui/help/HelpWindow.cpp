#include "HelpWindow.h"

#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(u"threadhop-help"_s);
    setWindowTitle(u"Threadhop Help"_s);
    setFixedSize(fixedContentSize);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(u"helpScroll"_s);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll->setWidget(new QWidget(scroll));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}

} // namespace threadhop
