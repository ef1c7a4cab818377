#pragma once

#include <QLabel>

namespace threadhop {

/// A selectable plain text that wraps to the width it is given and shows at most `maxLines` lines;
/// when more would follow, the last shown line ends in "…". It never widens what holds it.
class LineLimitedLabel final : public QLabel {
    Q_OBJECT

public:
    LineLimitedLabel(QString fullText, int maxLines, QWidget* parent = nullptr);

    const QString& fullText() const { return m_fullText; }

    /// The lines shown at `width` pixels.
    QStringList linesAt(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showLines();

    QString m_fullText;
    int m_maxLines;
};

} // namespace threadhop
