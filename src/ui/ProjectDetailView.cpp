#include "ProjectDetailView.h"

#include "EmptyStateView.h"

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

ProjectDetailView::ProjectDetailView(QWidget* parent) : QWidget(parent), m_placeholder(new EmptyStateView(this))
{
    setObjectName(u"projectDetailView"_s);
    m_placeholder->setObjectName(u"detailPlaceholder"_s);
    m_placeholder->setState(placeholder());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_placeholder);
}

EmptyState ProjectDetailView::placeholder()
{
    return {
        u"Select a project"_s, Symbol::arrowLeftArrowRightCircle, u"Validation, sessions and migration appear here."_s};
}

} // namespace threadhop
