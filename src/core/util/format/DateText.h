#pragma once

// Dates as the history file and the backups write them.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace threadhop::DateText {

/// Internet date-time in UTC without fractions, as in 2024-05-01T09:30:00Z (fractions are dropped).
std::string iso8601(std::chrono::system_clock::time_point date);

/// Reads the internet date-time form with "Z" or a "+hh:mm" / "-hh:mm" offset, no fractions.
/// Nothing for a moment the clock cannot hold (before 1677-09-21T00:12:44Z or after 2262-04-11T23:47:16Z).
std::optional<std::chrono::system_clock::time_point> parseIso8601(std::string_view text);

/// The local time as "yyyyMMdd-HHmmss", the stamp that names backups and set-aside files.
std::string localStamp(std::chrono::system_clock::time_point time);

} // namespace threadhop::DateText
