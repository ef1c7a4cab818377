#pragma once

#include <chrono>
#include <string>

namespace threadhop::LocalStamp {

/// The local time as "yyyyMMdd-HHmmss", the stamp that names backups and set-aside files.
std::string format(std::chrono::system_clock::time_point time);

} // namespace threadhop::LocalStamp
