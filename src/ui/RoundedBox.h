#pragma once

#include <QWidget>

namespace threadhop {

/// A plain container on a rounded, faint grey background (the fourth level of the text colour),
/// padded 8 on every side. `strength` scales the grey (1 is full).
class RoundedBox : public QWidget {
    Q_OBJECT

public:
    explicit RoundedBox(qreal strength, QWidget* parent = nullptr);

    static constexpr int padding = 8;
    static constexpr qreal cornerRadius = 6;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_strength;
};

} // namespace threadhop
