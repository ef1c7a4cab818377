#pragma once

#include "RoundedBox.h"

class QToolButton;

namespace threadhop {

class WrappingText;

/// A shell command shown verbatim in small monospaced, selectable text on a grey box, with a
/// button that copies it. The text wraps but is never cut.
class CommandBlock final : public RoundedBox {
    Q_OBJECT

public:
    explicit CommandBlock(QString command, QWidget* parent = nullptr);

    const QString& command() const { return m_command; }

private:
    QString m_command;
    WrappingText* m_text;
    QToolButton* m_copy;
};

} // namespace threadhop
