#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

namespace threadhop {

/// A plain container on a rounded background. Its layout is the caller's; `padding()` is the
/// space the layout leaves on every side.
class RoundedBox : public QWidget {
    Q_OBJECT

public:
    struct Look {
        std::optional<QColor> tint; ///< absent: the faint grey of the fourth text level
        qreal opacity = 1.0;        ///< scales the fill's alpha
        qreal radius = 6;
        int padding = 8;
    };

    explicit RoundedBox(Look look, QWidget* parent = nullptr);

    int padding() const { return m_look.padding; }

    /// The background color of a box of `look` over `palette`.
    static QColor fill(const Look& look, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
};

} // namespace threadhop
