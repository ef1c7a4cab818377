#include "core/util/IsoDate.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace std::chrono;

TEST(IsoDateTest, FormatsUtcWithoutFractions)
{
    const auto date = sys_days(year(2024) / May / 1) + hours(9) + minutes(30) + milliseconds(999);
    EXPECT_EQ(IsoDate::format(date), "2024-05-01T09:30:00Z");
    EXPECT_EQ(IsoDate::format(sys_days(year(1969) / December / 31) + hours(23) + seconds(59) + milliseconds(500)),
              "1969-12-31T23:00:59Z");
}

TEST(IsoDateTest, ParsesUtcAndOffsets)
{
    const auto expected = sys_days(year(2024) / May / 1) + hours(9) + minutes(30);
    EXPECT_EQ(IsoDate::parse("2024-05-01T09:30:00Z"), expected);
    EXPECT_EQ(IsoDate::parse("2024-05-01T11:30:00+02:00"), expected);
    EXPECT_EQ(IsoDate::parse("2024-05-01T08:00:00-01:30"), expected);
}

TEST(IsoDateTest, RejectsOtherForms)
{
    for (const char* text : {"2024-05-01T09:30:00.5Z", "2024-05-01 09:30:00Z", "2024-02-30T09:30:00Z",
                             "2024-05-01T24:00:00Z", "2024-05-01T09:30:00", "", "2024-05-01T09:30:00+2:00"})
        EXPECT_FALSE(IsoDate::parse(text)) << text;
}

} // namespace
} // namespace threadhop
