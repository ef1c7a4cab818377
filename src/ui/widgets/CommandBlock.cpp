#include "CommandBlock.h"

#include "Clipboard.h"
#include "CopyButton.h"
#include "WrappingText.h"
#include "theme/Theme.h"

#include <QHBoxLayout>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace threadhop {

CommandBlock::CommandBlock(QString command, QWidget* parent)
    : RoundedBox({}, parent),
      m_command(std::move(command)),
      m_text(new WrappingText(m_command, Theme::captionMono(), this)),
      m_copy(new QToolButton(this))
{
    setObjectName(u"commandBlock"_s);
    m_text->setObjectName(u"commandText"_s);

    m_copy->setObjectName(u"copyCommandButton"_s);
    CopyButton::styleAsCopyButton(*m_copy, u"Copy this command"_s);
    connect(m_copy, &QToolButton::clicked, this, [this] { Clipboard::copy(m_command); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(padding(), padding(), padding(), padding());
    layout->setSpacing(8);
    layout->addWidget(m_text, 1, Qt::AlignVCenter);
    layout->addSpacing(4);
    layout->addWidget(m_copy, 0, Qt::AlignVCenter);
}

} // namespace threadhop
