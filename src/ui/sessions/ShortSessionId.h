#pragma once

#include <QString>

#include <string_view>

// How the sessions section and the account-move sheet abbreviate a session id.
namespace threadhop::ShortSessionId {

/// The first 8 user-perceived characters of `id`, or the whole id when it has 8 or fewer.
QString of(std::string_view id);

} // namespace threadhop::ShortSessionId
