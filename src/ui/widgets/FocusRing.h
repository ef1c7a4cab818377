#pragma once

#include <QWidget>

namespace threadhop {

/// The focus ring (FocusIndicator) drawn over the edge of a widget (a list) while it has the keyboard
/// focus, so that the user sees where the arrow keys go. It takes no clicks and follows the widget's size.
class FocusRing final : public QWidget {
    Q_OBJECT

public:
    /// Lays a ring over `target`, which owns it.
    explicit FocusRing(QWidget& target);

    /// The room the ring takes along the inside of its widget: content that reaches the edge keeps
    /// this far from it, so that the ring does not cross it.
    static constexpr int room = 4;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget& m_target;
};

} // namespace threadhop
