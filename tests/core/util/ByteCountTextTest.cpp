#include "core/util/ByteCountText.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace threadhop {
namespace {

TEST(ByteCountTextTest, FileSizesInDecimalUnits)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "Zero KB"}, {1, "1 byte"}, {999, "999 bytes"}, {1000, "1 KB"}, {1499, "1 KB"},
        {1500, "2 KB"}, {2500, "2 KB"}, // half to even
        {48'213, "48 KB"}, {1'000'000, "1 MB"}, {2'712'345, "2.7 MB"}, {123'456'789, "123.5 MB"},
        {1'050'000'000, "1.05 GB"}, {1'200'000'000, "1.2 GB"}, {3'000'000'000'000, "3 TB"},
        {std::numeric_limits<std::int64_t>::max(), "9.22 EB"},
        // Rounding up to a thousand of one unit is one of the next.
        {999'499, "999 KB"}, {999'999, "1 MB"}, {999'960'000, "1 GB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(ByteCountText::fileStyle(bytes), text) << bytes;
}

} // namespace
} // namespace threadhop
