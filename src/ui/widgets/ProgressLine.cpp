#include "ProgressLine.h"

#include "Labels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace threadhop {

QWidget* ProgressLine::make(const QString& text, const QString& name, bool centred)
{
    auto* widget = new QWidget;
    widget->setObjectName(name);
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (centred)
        layout->addStretch(1);
    auto* bar = new QProgressBar(widget);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setFixedSize(80, 8);
    layout->addWidget(bar);
    layout->addWidget(Labels::plain(text, QFont(), widget));
    layout->addStretch(1);
    return widget;
}

} // namespace threadhop
