#include "HelpView.h"

#include "theme/Theme.h"
#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/FocusRing.h"
#include "ui/widgets/Labels.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

constexpr int padding = 24;
constexpr int sectionSpacing = 22;
constexpr int paragraphSpacing = 8;

QWidget* paragraph(const QString& text)
{
    if (HelpContent::isCommand(text))
        return new CommandBlock(text);
    QLabel* label =
        Labels::selectable(Labels::wrapping(Labels::secondary(Labels::plain(text, Theme::font(TextStyle::callout)))));
    label->setObjectName(u"helpParagraph"_s);
    return label;
}

QWidget* block(const HelpSection& section)
{
    auto* widget = new QWidget;
    widget->setObjectName(section.id);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(paragraphSpacing);
    QLabel* title =
        Labels::selectable(Labels::wrapping(Labels::plain(section.title, Theme::font(TextStyle::headline))));
    title->setObjectName(u"helpTitle"_s);
    layout->addWidget(title);
    for (const QString& text : section.paragraphs)
        layout->addWidget(paragraph(text));
    return widget;
}

} // namespace

HelpView::HelpView(const std::vector<HelpSection>& sections, QWidget* parent) : QScrollArea(parent)
{
    setObjectName(u"helpView"_s);
    setFixedSize(fixedSize);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new FocusRing(*this);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(sectionSpacing);
    for (const auto& section : sections)
        layout->addWidget(block(section));
    layout->addStretch(1);
    setWidget(content);
}

} // namespace threadhop
