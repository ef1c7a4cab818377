#include "FocusStyle.h"

#include "FocusIndicator.h"

#include <QPainter>
#include <QStyleOption>

namespace threadhop {
namespace {

// Draws `option` without the style's focus outline through `draw`, then the ring over a control
// filled with `fill`.
template <typename Option, typename Draw>
void withRing(const Option& option, const QColor& fill, QPainter* painter, Draw draw)
{
    if (!option.state.testFlag(QStyle::State_HasFocus)) {
        draw(option);
        return;
    }
    Option unfocused = option;
    unfocused.state &= ~QStyle::State_HasFocus;
    draw(unfocused);
    FocusIndicator::paint(*painter, option.rect, FocusIndicator::color(option.palette, {fill}));
}

} // namespace

FocusStyle::FocusStyle() = default;

void FocusStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (!button || (element != CE_PushButton && element != CE_CheckBox && element != CE_RadioButton)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const bool filled = element == CE_PushButton && !button->features.testFlag(QStyleOptionButton::Flat);
    const QColor fill = button->palette.color(filled ? QPalette::Button : QPalette::Window);
    withRing(*button, fill, painter,
             [&](const QStyleOptionButton& shown) { QProxyStyle::drawControl(element, &shown, painter, widget); });
}

void FocusStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                    const QWidget* widget) const
{
    const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option);
    if (!tool || control != CC_ToolButton) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const bool raised = !tool->state.testFlag(State_AutoRaise) || tool->state.testFlag(State_On);
    const QColor fill = tool->palette.color(raised ? QPalette::Button : QPalette::Window);
    withRing(*tool, fill, painter, [&](const QStyleOptionToolButton& shown) {
        QProxyStyle::drawComplexControl(control, &shown, painter, widget);
    });
}

} // namespace threadhop
