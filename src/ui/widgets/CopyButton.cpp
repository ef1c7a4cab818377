#include "CopyButton.h"

#include "Clipboard.h"
#include "theme/Symbols.h"

namespace threadhop {

CopyButton::CopyButton(QString value, const QString& help, QWidget* parent) : QToolButton(parent)
{
    styleAsCopyButton(*this, help);
    setIconSize({14, 14});
    setValue(std::move(value));
    connect(this, &QToolButton::clicked, this, [this] { Clipboard::copy(m_value); });
}

void CopyButton::setValue(QString value)
{
    m_value = std::move(value);
    setEnabled(!m_value.isEmpty());
}

void CopyButton::styleAsCopyButton(QToolButton& button, const QString& help)
{
    button.setAutoRaise(true);
    button.setIcon(Symbols::icon(Symbol::docOnDoc));
    button.setToolTip(help);
    button.setCursor(Qt::PointingHandCursor);
}

} // namespace threadhop
