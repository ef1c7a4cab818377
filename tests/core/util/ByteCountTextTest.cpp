#include "core/util/ByteCountText.h"

#include <gtest/gtest.h>

#include <limits>

namespace threadhop {
namespace {

using ByteCountText::fileStyle;

TEST(ByteCountTextTest, BytesAndKilobytes)
{
    EXPECT_EQ(fileStyle(0), "Zero KB");
    EXPECT_EQ(fileStyle(1), "1 byte");
    EXPECT_EQ(fileStyle(999), "999 bytes");
    EXPECT_EQ(fileStyle(1000), "1 KB");
    EXPECT_EQ(fileStyle(1499), "1 KB");
    EXPECT_EQ(fileStyle(1500), "2 KB"); // half to even
    EXPECT_EQ(fileStyle(2500), "2 KB");
    EXPECT_EQ(fileStyle(48'213), "48 KB");
}

TEST(ByteCountTextTest, LargerUnitsShowTheirDecimals)
{
    EXPECT_EQ(fileStyle(1'000'000), "1 MB");
    EXPECT_EQ(fileStyle(2'712'345), "2.7 MB");
    EXPECT_EQ(fileStyle(123'456'789), "123.5 MB");
    EXPECT_EQ(fileStyle(1'050'000'000), "1.05 GB");
    EXPECT_EQ(fileStyle(1'250'000'000), "1.25 GB");
    EXPECT_EQ(fileStyle(1'200'000'000), "1.2 GB");
    EXPECT_EQ(fileStyle(3'000'000'000'000), "3 TB");
    EXPECT_EQ(fileStyle(std::numeric_limits<std::int64_t>::max()), "9.22 EB");
}

TEST(ByteCountTextTest, RoundingUpToAThousandMovesToTheNextUnit)
{
    EXPECT_EQ(fileStyle(999'499), "999 KB");
    EXPECT_EQ(fileStyle(999'999), "1 MB");
    EXPECT_EQ(fileStyle(999'960'000), "1 GB");
}

} // namespace
} // namespace threadhop
