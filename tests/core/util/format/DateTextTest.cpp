#include "core/util/format/DateText.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace std::chrono;

// Written in UTC without fractions; read in UTC or with an offset, as far as the clock reaches.
TEST(DateTextTest, WritesAndReadsUtcAndOffsetsAsFarAsTheClockReaches)
{
    const auto expected = sys_days(year(2024) / May / 1) + hours(9) + minutes(30);
    EXPECT_EQ(DateText::iso8601(expected + milliseconds(999)), "2024-05-01T09:30:00Z");
    EXPECT_EQ(DateText::iso8601(sys_days(year(1969) / December / 31) + hours(23) + seconds(59) + milliseconds(500)),
              "1969-12-31T23:00:59Z");
    EXPECT_EQ(DateText::parseIso8601("2024-05-01T09:30:00Z"), expected);
    EXPECT_EQ(DateText::parseIso8601("2024-05-01T11:30:00+02:00"), expected);
    EXPECT_EQ(DateText::parseIso8601("2024-05-01T08:00:00-01:30"), expected);
    for (const std::string edge : {"2262-04-11T23:47:16Z", "1677-09-21T00:12:44Z"}) {
        const auto date = DateText::parseIso8601(edge);
        ASSERT_TRUE(date) << edge;
        EXPECT_EQ(DateText::iso8601(*date), edge);
    }
    EXPECT_EQ(DateText::parseIso8601("2262-04-12T00:47:16+01:00"), DateText::parseIso8601("2262-04-11T23:47:16Z"));
}

TEST(DateTextTest, RejectsOtherFormsAndMomentsBeyondTheClock)
{
    for (const char* text :
         {"2024-05-01T09:30:00.5Z", "2024-05-01 09:30:00Z", "2024-02-30T09:30:00Z", "2024-05-01T24:00:00Z",
          "2024-05-01T09:30:00", "", "2024-05-01T09:30:00+2:00", "2262-04-11T23:47:17Z", "2262-04-11T23:00:00-01:00",
          "2263-01-01T00:00:00Z", "9999-12-31T23:59:59Z", "1677-09-21T00:12:43Z", "1600-01-01T00:00:00Z",
          "0000-01-01T00:00:00Z"})
        EXPECT_FALSE(DateText::parseIso8601(text)) << text;
}

} // namespace
} // namespace threadhop
