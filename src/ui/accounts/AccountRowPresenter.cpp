#include "AccountRowPresenter.h"

#include "theme/Theme.h"
#include "ui/widgets/QtText.h"

using namespace Qt::StringLiterals;

namespace threadhop {

QString AccountRowPresenter::sectionHeader()
{
    return u"Claude Code accounts"_s;
}

AccountRowPresenter::Row AccountRowPresenter::row(const ClaudeAccount& account, bool exists, std::int64_t problems,
                                                  std::int64_t projectCount)
{
    std::optional<QString> badge;
    if (problems > 0)
        badge = QString::number(problems);
    return {.id = toQString(account.id),
            .label = toQString(account.label),
            .identity = account.identity ? toQString(account.identity->emailAddress) : u"not signed in"_s,
            .identityIsWarning = !account.identity,
            .folder = toQString(account.configDirURL().string()),
            .dotColor = exists ? Theme::ok() : Theme::unknown(),
            .problemsBadge = badge,
            .projectCount = QString::number(projectCount)};
}

std::optional<EmptyState> AccountRowPresenter::emptyState(bool hasAccounts, bool isScanning)
{
    if (hasAccounts || isScanning)
        return std::nullopt;
    return EmptyState{u"No accounts found"_s, Symbol::personSlash, std::nullopt};
}

} // namespace threadhop
