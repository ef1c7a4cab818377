#pragma once

#include <QToolButton>

namespace threadhop {

/// A small borderless button that copies one value; disabled while the value is empty.
class CopyButton final : public QToolButton {
    Q_OBJECT

public:
    CopyButton(QString value, const QString& help, QWidget* parent = nullptr);

    const QString& value() const { return m_value; }
    void setValue(QString value);

    /// The borderless "doc.on.doc" button look that CommandBlock shares.
    static void styleAsCopyButton(QToolButton& button, const QString& help);

private:
    QString m_value;
};

} // namespace threadhop
