#include "SessionLiveness.h"

#include "core/util/format/JSONParser.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/fs/ReadBuffer.h"

#include <cerrno>
#include <cmath>
#include <limits>

#include <signal.h>
#include <simdjson.h>

namespace threadhop {
namespace {

// "pid" as a 32-bit process id: a fraction is truncated, true counts as 1; anything out of
// range names no process.
std::optional<std::int32_t> processId(simdjson::dom::element value)
{
    double number = 0;
    switch (value.type()) {
    case simdjson::dom::element_type::INT64:
        number = static_cast<double>(value.get_int64().value_unsafe());
        break;
    case simdjson::dom::element_type::UINT64:
        number = static_cast<double>(value.get_uint64().value_unsafe());
        break;
    case simdjson::dom::element_type::DOUBLE:
        number = std::trunc(value.get_double().value_unsafe());
        break;
    case simdjson::dom::element_type::BOOL:
        number = value.get_bool().value_unsafe() ? 1 : 0;
        break;
    default:
        return std::nullopt;
    }
    if (!(number >= std::numeric_limits<std::int32_t>::min() && number <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(number);
}

bool processExists(std::int32_t pid)
{
    return pid >= 1 && (::kill(pid, 0) == 0 || errno == EPERM);
}

bool isLiveRecord(const LiveSession& session)
{
    if (!processExists(session.pid))
        return false;
    if (!session.socketPath || session.socketPath->empty())
        return true;
    return FileMetadata::itemExists(*session.socketPath);
}

} // namespace

std::optional<LiveSession> SessionLiveness::read(const std::filesystem::path& file)
{
    ReadBuffer text;
    if (!text.load(file))
        return std::nullopt;
    simdjson::dom::parser parser;
    simdjson::dom::object record;
    if (parser.parse(text.content().data(), text.content().size(), false).get_object().get(record) != simdjson::SUCCESS)
        return std::nullopt;
    simdjson::dom::element pidValue;
    if (record.at_key("pid").get(pidValue) != simdjson::SUCCESS)
        return std::nullopt;
    const auto pid = processId(pidValue);
    auto sessionId = JSONParser::stringMember(record, "sessionId");
    if (!pid || !sessionId || sessionId->empty())
        return std::nullopt;
    double startedAt = 0;
    const bool hasStart = record.at_key("startedAt").get_double().get(startedAt) == simdjson::SUCCESS;
    return LiveSession{
        .pid = *pid,
        .sessionId = std::move(*sessionId),
        .cwd = JSONParser::stringMember(record, "cwd"),
        .status = JSONParser::stringMember(record, "status"),
        .name = JSONParser::stringMember(record, "name"),
        .startedAtMillis = hasStart ? std::optional(startedAt) : std::nullopt,
        .socketPath = JSONParser::stringMember(record, "messagingSocketPath"),
    };
}

std::map<std::string, LiveSession> SessionLiveness::liveSessions(const ClaudeAccount& account)
{
    return liveSessions(account.configDirURL());
}

std::map<std::string, LiveSession> SessionLiveness::liveSessions(const std::filesystem::path& configDir)
{
    std::map<std::string, LiveSession> live;
    for (const auto& entry : DirectoryListing::entries(configDir / "sessions", DirectoryListing::Hidden::skip,
                                                       DirectoryListing::Unlistable::empty)) {
        if (entry.path().extension() != ".json")
            continue;
        auto session = read(entry.path());
        if (session && isLiveRecord(*session))
            live.insert_or_assign(session->sessionId, std::move(*session));
    }
    return live;
}

std::optional<LiveSession> SessionLiveness::isLive(std::string_view sessionId, const ClaudeAccount& account)
{
    auto live = liveSessions(account);
    const auto it = live.find(std::string(sessionId));
    if (it == live.end())
        return std::nullopt;
    return std::move(it->second);
}

} // namespace threadhop
