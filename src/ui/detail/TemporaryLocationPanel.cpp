#include "TemporaryLocationPanel.h"

#include "theme/PlatformWords.h"
#include "theme/Theme.h"
#include "ui/widgets/Buttons.h"
#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/SymbolLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

TemporaryLocationPanel::TemporaryLocationPanel(const ProjectFolder& project, const std::optional<QString>& actionNote,
                                               QWidget* parent)
    : RoundedBox({.tint = Theme::unknown(), .opacity = 0.06, .radius = 10, .padding = 14}, parent)
{
    setObjectName(u"temporaryLocationPanel"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding(), padding(), padding(), padding());
    layout->setSpacing(10);
    layout->addWidget(new SymbolLabel(Symbol::clockBadgeXmark, u"Recorded in a temporary folder"_s,
                                      Theme::font(TextStyle::headline), Theme::unknown(), this));
    QLabel* explanation = Labels::wrapping(Labels::secondary(Labels::plain(
        PlatformWords::say(u"This conversation was started in a directory macOS creates to throw away, so the location "
                           u"is gone and will not come back. Nothing is lost: the conversation is still on disk. It is "
                           u"not counted as something to fix, because no one can put that folder back."_s),
        Theme::font(TextStyle::callout), this)));
    explanation->setObjectName(u"temporaryExplanation"_s);
    layout->addWidget(explanation);
    if (project.actualCwd)
        layout->addWidget(new CommandBlock(toQString(*project.actualCwd), this));
    layout->addWidget(Labels::wrapping(Labels::secondary(
        Labels::plain(u"You can give it a permanent home instead — pick a folder and the conversation is relinked "
                      u"there, so `--resume` finds it."_s,
                      Theme::font(TextStyle::caption), this))));

    auto* row = new QHBoxLayout;
    auto* give = Buttons::prominent(u"Give it a folder…"_s, Symbol::arrowRightDocOnClipboard, this);
    give->setObjectName(u"giveFolderButton"_s);
    connect(give, &QPushButton::clicked, this, &TemporaryLocationPanel::giveFolderClicked);
    row->addWidget(give);
    if (actionNote) {
        QLabel* note = Labels::secondary(Labels::plain(*actionNote, Theme::font(TextStyle::caption), this));
        note->setObjectName(u"actionNote"_s);
        row->addWidget(note);
    }
    row->addStretch(1);
    layout->addLayout(row);
}

} // namespace threadhop
