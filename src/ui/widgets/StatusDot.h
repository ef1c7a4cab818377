#pragma once

#include <QColor>
#include <QWidget>

namespace threadhop {

/// A filled circle of one color standing for a state, exactly `size` × `size` pixels.
class StatusDot final : public QWidget {
    Q_OBJECT

public:
    explicit StatusDot(QColor color, int size, QWidget* parent = nullptr);

    const QColor& color() const { return m_color; }
    void setColor(const QColor& color);

    /// Paints a dot of `color` and diameter `size` centred on `centre`; list delegates share it.
    static void paint(QPainter& painter, QPointF centre, const QColor& color, qreal size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};

} // namespace threadhop
