#include "ResumeHint.h"

#include "theme/Theme.h"
#include "ui/widgets/Buttons.h"
#include "ui/widgets/Clipboard.h"
#include "ui/widgets/OpenInTerminalMenu.h"
#include "ui/widgets/RoundedBox.h"
#include "ui/widgets/SymbolLabel.h"
#include "ui/widgets/WrappingText.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

QWidget* commandBox(const QString& command, QWidget* parent)
{
    auto* box = new RoundedBox({}, parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(box->padding(), box->padding(), box->padding(), box->padding());
    auto* text = new WrappingText(command, Theme::captionMono(), box);
    text->setObjectName(u"resumeCommand"_s);
    layout->addWidget(text);
    return box;
}

} // namespace

ResumeHint::ResumeHint(const std::optional<QString>& command, QWidget* parent) : QWidget(parent)
{
    setObjectName(u"resumeHint"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new SymbolLabel(Symbol::checkmarkSealFill, u"Ready to resume"_s, Theme::font(TextStyle::headline),
                                      Theme::ok(), this));
    if (!command)
        return;
    layout->addWidget(commandBox(*command, this));

    // The small control size.
    const QFont small = Theme::font(TextStyle::subheadline);
    auto* copy = Buttons::plain(u"Copy"_s, Symbol::docOnDoc, this);
    copy->setObjectName(u"copyResumeButton"_s);
    copy->setFont(small);
    connect(copy, &QPushButton::clicked, this, [text = *command] { Clipboard::copy(text); });
    auto* terminal = new OpenInTerminalMenu(*command, u"Resume in Terminal"_s, true, this);
    terminal->setFont(small);
    auto* row = new QHBoxLayout;
    row->addWidget(copy);
    row->addWidget(terminal);
    row->addStretch(1);
    layout->addLayout(row);
}

} // namespace threadhop
