#pragma once

#include "Labels.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QString>
#include <QWidget>

// A busy indicator with its text, as the sheets show one while the engine works.
namespace threadhop::ProgressLine {

/// An indeterminate progress bar followed by `text`, at the leading edge or, `centred`, in the
/// middle of the width it is given. The widget is named `name`.
inline QWidget* make(const QString& text, const QString& name, bool centred = false)
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

} // namespace threadhop::ProgressLine
