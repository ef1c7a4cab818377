#include "ui/widgets/Fmt.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;

// Each boundary from both sides: counts as they are up to 999, whole thousands (truncated) up to
// 999,999, millions with one decimal above.
TEST(FmtTest, TokensAtEachBoundary)
{
    const std::pair<std::int64_t, QString> cases[] = {{999, u"999"_s}, {1000, u"1k"_s}, {1999, u"1k"_s},
        {999'999, u"999k"_s}, {1'000'000, u"1.0M"_s}, {2'340'000, u"2.3M"_s}, {-5, u"-5"_s}};
    for (const auto& [count, text] : cases)
        EXPECT_EQ(Fmt::tokens(count), text) << count;
}

} // namespace
} // namespace threadhop
