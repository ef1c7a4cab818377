#pragma once

#include <QProxyStyle>

namespace threadhop {

/// The application's style with one change: buttons, check boxes and tool buttons show keyboard
/// focus as the ring of FocusIndicator instead of the style's own faint outline.
class FocusStyle final : public QProxyStyle {
    Q_OBJECT

public:
    /// Wraps the style the application would use otherwise.
    FocusStyle();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
};

} // namespace threadhop
