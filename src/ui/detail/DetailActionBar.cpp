#include "DetailActionBar.h"

#include "DetailPresenter.h"
#include "theme/Theme.h"
#include "ui/widgets/Buttons.h"
#include "ui/widgets/FinderButton.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

DetailActionBar::DetailActionBar(const ProjectFolder& project, const std::optional<QString>& actionNote,
                                 QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"detailActionBar"_s);
    // Made in the order they are drawn, which is the order Tab visits them.
    auto* finder = new FinderButton(toQString(project.actualCwd.value_or("")), this);
    auto* moveTo = Buttons::plain(u"Move to…"_s, Symbol::arrowRightDocOnClipboard, this);
    moveTo->setObjectName(u"moveToButton"_s);
    moveTo->setToolTip(
        u"Move this project's conversations to another folder, so `--resume` finds them there instead."_s);
    moveTo->setEnabled(DetailPresenter::canMove(project));
    connect(moveTo, &QPushButton::clicked, this, &DetailActionBar::moveToClicked);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(finder);
    buttons->addWidget(moveTo);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addLayout(buttons);
    if (actionNote) {
        QLabel* note = Labels::secondary(Labels::plain(*actionNote, Theme::font(TextStyle::caption), this));
        note->setObjectName(u"actionNote"_s);
        layout->addWidget(note);
    }
}

} // namespace threadhop
