#include "SessionRow.h"

#include "LineLimitedLabel.h"
#include "SessionRowPresenter.h"
#include "theme/Symbols.h"
#include "theme/Theme.h"
#include "ui/sheets/AccountMoveSheet.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/QtText.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

namespace Presenter = SessionRowPresenter;

constexpr int messageLineLimit = 3;

QLabel* named(QLabel* label, const QString& name)
{
    label->setObjectName(name);
    return label;
}

QLabel* secondary(const QString& text, TextStyle style, const QString& name)
{
    return named(Labels::secondary(Labels::plain(text, Theme::font(style))), name);
}

QWidget* messageBlock(const std::string& message)
{
    auto* block = new RoundedBox({.opacity = 0.5, .radius = 6, .padding = 6});
    block->setObjectName(u"messageBlock"_s);
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(block->padding(), block->padding(), block->padding(), block->padding());
    auto* text = new LineLimitedLabel(toQString(message), messageLineLimit, block);
    text->setObjectName(u"messageText"_s);
    text->setFont(Theme::font(TextStyle::caption));
    layout->addWidget(text);
    return block;
}

QDialog* emptySheet(QWidget* parent)
{
    auto* sheet = new QDialog(parent);
    sheet->setObjectName(u"emptyMoveSheet"_s);
    sheet->setWindowModality(Qt::WindowModal);
    QObject::connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    return sheet;
}

} // namespace

SessionRow::SessionRow(AppEnvironment& env, SessionInfo session, SessionContext context, QWidget* parent)
    : RoundedBox({.opacity = 0.25, .radius = 8, .padding = 8}, parent),
      m_env(env),
      m_session(std::move(session)),
      m_context(std::move(context)),
      m_expand(new QToolButton(this)),
      m_age(secondary({}, TextStyle::caption, u"ageText"_s)),
      m_details(buildDetails())
{
    setObjectName(u"sessionRow"_s);
    m_expand->setObjectName(u"expandButton"_s);
    m_expand->setAutoRaise(true);
    const int iconSize = QFontMetrics(Theme::font(TextStyle::caption2)).height();
    m_expand->setIconSize({iconSize, iconSize});
    connect(m_expand, &QToolButton::clicked, this, [this] { setExpanded(!m_expanded); });

    auto* id = named(Labels::plain(Presenter::idText(m_session), Theme::captionMono()), u"sessionIdText"_s);
    auto* header = new QHBoxLayout;
    header->addWidget(m_expand);
    header->addWidget(id);
    header->addWidget(secondary(Presenter::messageCountText(m_session), TextStyle::caption, u"messageCountText"_s));
    header->addStretch(1);
    header->addWidget(m_age);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding(), padding(), padding(), padding());
    layout->setSpacing(6);
    layout->addLayout(header);
    layout->addWidget(m_details);
    showAge();
    setExpanded(false);
}

void SessionRow::setExpanded(bool expanded)
{
    m_expanded = expanded;
    m_expand->setIcon(Symbols::icon(expanded ? Symbol::chevronDown : Symbol::chevronRight));
    m_details->setVisible(expanded);
}

void SessionRow::showAge()
{
    m_age->setText(Presenter::ageText(m_session, std::chrono::system_clock::now()));
}

QDialog* SessionRow::presentMoveSheet()
{
    QDialog* sheet = nullptr;
    if (m_context.account && m_context.project)
        sheet = new AccountMoveSheet(m_env, *m_context.account, *m_context.project, m_session, m_context.cwd,
                                     AccountMoveEngine::standard(), this);
    else
        sheet = emptySheet(this);
    sheet->open();
    return sheet;
}

QWidget* SessionRow::buildDetails() const
{
    auto* details = new QWidget;
    details->setObjectName(u"sessionDetails"_s);
    auto* layout = new QVBoxLayout(details);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    if (const auto heading = Presenter::messagesHeading(m_session)) {
        auto* messages = new QVBoxLayout;
        messages->setSpacing(4);
        messages->addWidget(secondary(*heading, TextStyle::caption2, u"messagesHeading"_s));
        for (const auto& message : m_session.recentUserMessages)
            messages->addWidget(messageBlock(message));
        layout->addLayout(messages);
    } else {
        layout->addWidget(secondary(u"No user messages found."_s, TextStyle::caption, u"noMessagesText"_s));
    }
    if (const auto note = Presenter::missingLocationNote(m_context.pathExists)) {
        QLabel* label = named(Labels::plain(*note, Theme::font(TextStyle::caption2)), u"missingLocationNote"_s);
        Theme::setTextColor(*label, Theme::broken());
        layout->addWidget(label);
    }
    return details;
}

} // namespace threadhop
