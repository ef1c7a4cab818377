#pragma once

#include <QLabel>

namespace threadhop {

/// A selectable one-line text that is shortened with "…" where the width runs out: at the head,
/// in the middle or at the end, as `mode` says, and shows its control characters as OneLineText
/// does. Copying a shortened or escaped text copies the text itself: a path with "…" or "\n" in it
/// is no path.
class ElidedLabel final : public QLabel {
    Q_OBJECT

public:
    ElidedLabel(QString fullText, Qt::TextElideMode mode, QWidget* parent = nullptr);

    const QString& fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    /// Whether what is shown differs from the text: shortened, or with its control characters escaped.
    bool isElided() const { return text() != m_fullText; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void elide();

    QString m_fullText;
    Qt::TextElideMode m_mode;
};

} // namespace threadhop
