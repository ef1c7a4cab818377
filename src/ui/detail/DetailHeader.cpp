#include "DetailHeader.h"

#include "DetailPresenter.h"
#include "theme/Theme.h"
#include "ui/projects/ProjectRowPresenter.h"
#include "ui/widgets/CopyButton.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/OneLineText.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/StatusDot.h"
#include "ui/widgets/WrappingText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

DetailHeader::DetailHeader(const ProjectFolder& project, QWidget* parent) : QWidget(parent)
{
    setObjectName(u"detailHeader"_s);
    const std::string path = ProjectRowPresenter::displayPath(project);
    auto* title = new WrappingText(OneLineText::of(path), Theme::font(TextStyle::title3, QFont::DemiBold), this);
    title->setObjectName(u"detailTitle"_s);
    title->setToolTip(PlainText::toolTip(toQString(path)));
    auto* copy = new CopyButton(toQString(project.actualCwd.value_or("")), u"Copy this project's path"_s, this);
    copy->setObjectName(u"copyPathButton"_s);

    const QColor color = ProjectRowPresenter::statusColor(project.status);
    QLabel* status = Labels::plain(DetailPresenter::statusLabel(project.status),
                                   Theme::font(TextStyle::subheadline, QFont::Medium), this);
    status->setObjectName(u"statusLabel"_s);
    Theme::setTextColor(*status, color);

    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(6);
    titleRow->addWidget(title);
    titleRow->addWidget(copy, 0, Qt::AlignVCenter);
    titleRow->addStretch(1);
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(6);
    statusRow->addWidget(new StatusDot(color, 10, this), 0, Qt::AlignVCenter);
    statusRow->addWidget(status, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addLayout(titleRow);
    layout->addLayout(statusRow);
}

} // namespace threadhop
