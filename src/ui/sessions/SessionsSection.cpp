#include "SessionsSection.h"

#include "SessionRow.h"
#include "SessionRowPresenter.h"
#include "theme/Theme.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/SymbolLabel.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

constexpr auto ageRefreshInterval = std::chrono::seconds(30);

} // namespace

SessionsSection::SessionsSection(AppEnvironment& env, std::vector<SessionInfo> sessions, SessionContext context,
                                 QWidget* parent)
    : QWidget(parent), m_ageRefresh(new QTimer(this))
{
    setObjectName(u"sessionsSection"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* title = new SymbolLabel(Symbol::bubbleLeftAndBubbleRight, SessionRowPresenter::sectionTitle(sessions.size()),
                                  Theme::font(TextStyle::headline));
    title->setObjectName(u"sessionsTitle"_s);
    layout->addWidget(title);
    if (sessions.empty()) {
        QLabel* none = Labels::secondary(Labels::plain(u"No sessions."_s, Theme::font(TextStyle::caption)));
        none->setObjectName(u"noSessionsText"_s);
        layout->addWidget(none);
    }
    for (auto& session : sessions) {
        m_rows.push_back(new SessionRow(env, std::move(session), context, this));
        layout->addWidget(m_rows.back());
    }

    // Ages are relative to the clock, not to the data: redraw them now and then.
    m_ageRefresh->setInterval(ageRefreshInterval);
    connect(m_ageRefresh, &QTimer::timeout, this, [this] {
        for (SessionRow* row : m_rows)
            row->showAge();
    });
    m_ageRefresh->start();
}

} // namespace threadhop
