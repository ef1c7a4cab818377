#pragma once

#include <QLabel>

namespace threadhop {

/// A selectable one-line text that is shortened with "…" where the width runs out: at the head,
/// in the middle or at the end, as `mode` says.
class ElidedLabel final : public QLabel {
    Q_OBJECT

public:
    ElidedLabel(QString fullText, Qt::TextElideMode mode, QWidget* parent = nullptr);

    const QString& fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void elide();

    QString m_fullText;
    Qt::TextElideMode m_mode;
};

} // namespace threadhop
