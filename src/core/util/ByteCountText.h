#pragma once

#include <cstdint>
#include <string>

namespace threadhop::ByteCountText {

/// A byte count as file sizes are shown: decimal units (1 KB = 1000 bytes), "Zero KB" for 0,
/// "1 byte" and "<n> bytes" below 1000, whole KB, MB with one decimal and GB and above with
/// two, rounded half to even, trailing zeros dropped ("2.7 MB", "1 MB", "1.25 GB"). A value that
/// rounds up to 1000 of a unit is written in the next ("1 MB" for 999,999 bytes).
std::string fileStyle(std::int64_t bytes);

} // namespace threadhop::ByteCountText
