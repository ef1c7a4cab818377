#include "ui/widgets/Fmt.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;

TEST(FmtTest, TokensKeepSmallCountsAndNegativesAsTheyAre)
{
    EXPECT_EQ(Fmt::tokens(0), u"0"_s);
    EXPECT_EQ(Fmt::tokens(999), u"999"_s);
    EXPECT_EQ(Fmt::tokens(-5), u"-5"_s);
    EXPECT_EQ(Fmt::tokens(-2'000'000), u"-2000000"_s);
}

TEST(FmtTest, TokensTruncateToWholeThousands)
{
    EXPECT_EQ(Fmt::tokens(1000), u"1k"_s);
    EXPECT_EQ(Fmt::tokens(1500), u"1k"_s);
    EXPECT_EQ(Fmt::tokens(1999), u"1k"_s);
    EXPECT_EQ(Fmt::tokens(999'999), u"999k"_s);
}

TEST(FmtTest, TokensAboveNineHundredNinetyNineThousandAreMillionsWithOneDecimal)
{
    EXPECT_EQ(Fmt::tokens(1'000'000), u"1.0M"_s);
    EXPECT_EQ(Fmt::tokens(2'340'000), u"2.3M"_s);
    EXPECT_EQ(Fmt::tokens(12'345'678'901), u"12345.7M"_s);
}

} // namespace
} // namespace threadhop
