#pragma once

#include <QString>

#include <chrono>

// Ages in the short form the lists and the status bar show ("5 min. ago"); the views refresh
// them with a timer, since the text changes with the clock and not with the data.
namespace threadhop::RelativeTime {

/// How long before `now` the moment `then` was, in the largest whole unit: "now", "12 sec. ago",
/// "5 min. ago", "3 hr. ago", "1 day ago", "2 days ago", "3 wk. ago", "4 mo. ago", "2 yr. ago";
/// a moment after `now` reads "in 5 min.".
QString abbreviated(std::chrono::system_clock::time_point then, std::chrono::system_clock::time_point now);

} // namespace threadhop::RelativeTime
