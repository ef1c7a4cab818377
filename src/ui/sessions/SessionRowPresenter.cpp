#include "SessionRowPresenter.h"

#include "ui/widgets/RelativeTime.h"
#include "ui/widgets/ShortSessionId.h"

using namespace Qt::StringLiterals;

namespace threadhop {

QString SessionRowPresenter::sectionTitle(std::size_t count)
{
    return u"Sessions (%1)"_s.arg(count);
}

QString SessionRowPresenter::idText(const SessionInfo& session)
{
    return u"session:"_s + ShortSessionId::of(session.id) + u"…"_s;
}

QString SessionRowPresenter::messageCountText(const SessionInfo& session)
{
    return u"· %1 msg"_s.arg(session.userMessageCount);
}

QString SessionRowPresenter::ageText(const SessionInfo& session, std::chrono::system_clock::time_point now)
{
    return RelativeTime::abbreviated(session.lastModified, now);
}

std::optional<QString> SessionRowPresenter::messagesHeading(const SessionInfo& session)
{
    if (session.recentUserMessages.empty())
        return std::nullopt;
    return u"Last %1 messages (most recent first):"_s.arg(session.recentUserMessages.size());
}

std::optional<QString> SessionRowPresenter::missingLocationNote(bool pathExists)
{
    if (pathExists)
        return std::nullopt;
    return u"(migrate first — the location is missing)"_s;
}

} // namespace threadhop
