#pragma once

#include "core/models/SessionInfo.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <optional>

// What the sessions section and its rows say.
namespace threadhop::SessionRowPresenter {

/// "Sessions (<count>)".
QString sectionTitle(std::size_t count);

/// "session:" and the short id, then "…", even when the id is shown whole.
QString idText(const SessionInfo& session);

/// "· <userMessageCount> msg".
QString messageCountText(const SessionInfo& session);

/// How long ago the session last changed, in the short form of the lists.
QString ageText(const SessionInfo& session, std::chrono::system_clock::time_point now);

/// "Last <n> messages (most recent first):" over the messages; absent when there are none, where
/// the row says "No user messages found." instead.
std::optional<QString> messagesHeading(const SessionInfo& session);

/// The note of an expanded row while the project's directory is missing; absent while it exists.
std::optional<QString> missingLocationNote(bool pathExists);

} // namespace threadhop::SessionRowPresenter
