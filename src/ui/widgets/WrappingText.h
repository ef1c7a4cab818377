#pragma once

#include <QTextEdit>

#include <functional>

namespace threadhop {

/// Plain text that can be selected and copied, and that wraps at word boundaries or, for a long
/// path without any, anywhere: it is never cut off and never widens what holds it. Its height
/// follows its width.
class WrappingText final : public QTextEdit {
    Q_OBJECT

public:
    WrappingText(const QString& text, const QFont& font, QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    QColor color() const { return palette().color(QPalette::Text); }
    void setColor(const QColor& color);
    /// The color is asked for each time the text is drawn (given the palette of what holds it), for
    /// a color that follows something outside the program, such as a folder that may vanish.
    void setColor(std::function<QColor(const QPalette&)> color);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<QColor(const QPalette&)> m_liveColor;
};

} // namespace threadhop
