#include "InfoGrid.h"

#include "DetailPresenter.h"
#include "theme/Theme.h"
#include "ui/widgets/CopyButton.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/WrappingText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace threadhop {

InfoGrid::InfoGrid(const ProjectFolder& project, QWidget* parent) : QWidget(parent)
{
    setObjectName(u"infoGrid"_s);
    const QFont& font = Theme::captionMono();
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(6);
    layout->setColumnStretch(1, 1);
    int row = 0;
    for (const auto& info : DetailPresenter::infoRows(project)) {
        layout->addWidget(Labels::secondary(Labels::plain(info.label, font, this)), row, 0, Qt::AlignLeft);
        auto* values = new QHBoxLayout;
        values->setSpacing(6);
        auto* value = new WrappingText(info.value, font, this);
        value->setObjectName(u"infoValue"_s);
        value->setProperty("row", info.label);
        values->addWidget(value, 0, Qt::AlignVCenter);
        if (info.copy) {
            auto* copy = new CopyButton(info.copy->value, info.copy->help, this);
            copy->setObjectName(u"infoCopyButton"_s);
            values->addWidget(copy, 0, Qt::AlignVCenter);
        }
        values->addStretch(1);
        layout->addLayout(values, row, 1);
        ++row;
    }
}

} // namespace threadhop
