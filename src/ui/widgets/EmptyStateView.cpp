#include "EmptyStateView.h"

#include "theme/Symbols.h"
#include "theme/Theme.h"

#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

constexpr int imageSize = 44;

} // namespace

EmptyStateView::EmptyStateView(QWidget* parent)
    : QWidget(parent), m_image(new QLabel(this)), m_title(new QLabel(this)), m_description(new QLabel(this))
{
    m_image->setObjectName(u"emptyStateImage"_s);
    m_image->setAlignment(Qt::AlignCenter);
    m_title->setObjectName(u"emptyStateTitle"_s);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setWordWrap(true);
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_description->setObjectName(u"emptyStateDescription"_s);
    m_description->setTextFormat(Qt::PlainText);
    m_description->setAlignment(Qt::AlignCenter);
    m_description->setWordWrap(true);
    Theme::setTextColor(*m_description, Theme::secondaryText(palette()));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(6);
    layout->addStretch(1);
    layout->addWidget(m_image);
    layout->addWidget(m_title);
    layout->addWidget(m_description);
    layout->addStretch(1);
}

void EmptyStateView::setState(const std::optional<EmptyState>& state)
{
    setVisible(state.has_value());
    if (!state)
        return;
    m_symbol = state->symbol;
    m_image->setPixmap(Symbols::tintedPixmap(state->symbol, imageSize, Theme::tertiaryText(palette())));
    m_title->setText(state->title);
    m_description->setText(state->description.value_or(QString()));
    m_description->setVisible(state->description.has_value());
}

QWidget* EmptyStateView::overContent(QWidget* content)
{
    auto* container = new QWidget;
    auto* stack = new QStackedLayout(container);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->addWidget(content);
    stack->addWidget(this);
    stack->setCurrentWidget(this);
    return container;
}

QString EmptyStateView::title() const
{
    return m_title->text();
}

QString EmptyStateView::description() const
{
    return m_description->text();
}

} // namespace threadhop
