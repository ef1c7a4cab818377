#pragma once

#include "core/models/TranscriptIntegrity.h"

#include <optional>
#include <string>
#include <string_view>

namespace threadhop::TranscriptAnalyzer {

/// Analyses a transcript's text in one pass: lines, invalid lines, tool calls left without a
/// result, the last complete line, recorded working directories and the last context size.
/// Lines are split at line feeds that no carriage return precedes; empty lines are dropped.
/// Never fails and never touches the disk.
TranscriptIntegrity analyze(std::string_view text);

/// The `launchCwd` that analyze would give, reading only as far as the line that records it.
std::optional<std::string> launchCwd(std::string_view text);

} // namespace threadhop::TranscriptAnalyzer
