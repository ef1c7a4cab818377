#pragma once

#include "core/models/TranscriptIntegrity.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <simdjson.h>

namespace threadhop::TranscriptAnalyzer {

/// Analyses a transcript's text in one pass: lines, invalid lines, tool calls left without a
/// result, the last complete line, recorded working directories and the last context size.
/// Lines are split at line feeds that no carriage return precedes; empty lines are dropped.
/// Never fails and never touches the disk.
TranscriptIntegrity analyze(std::string_view text);

/// The same, handing every line that parses as JSON (whatever its top level) to `everyParsedLine`
/// as well, so that one parse can serve another reader of the same lines. The element lives until
/// the call returns.
TranscriptIntegrity analyze(std::string_view text, const std::function<void(simdjson::dom::element)>& everyParsedLine);

/// The `launchCwd` that analyze would give, reading only as far as the line that records it.
std::optional<std::string> launchCwd(std::string_view text);

} // namespace threadhop::TranscriptAnalyzer
