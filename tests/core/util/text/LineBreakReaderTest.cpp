#include "core/util/text/LineBreakReader.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(LineBreakReaderTest, SplitsAtEveryLineBreakAndDropsEmptyLines)
{
    const std::string text = "\n\na\nb\rc\r\nd\ve\ff\u0085g\u2028h\u2029i\n\n\r\n";
    const std::vector<std::string_view> expected{"a", "b", "c", "d", "e", "f", "g", "h", "i"};
    EXPECT_EQ(LineBreakReader::splitAll(text), expected);
    EXPECT_EQ(LineBreakReader("").next(), std::nullopt);
}

TEST(LineBreakReaderTest, LeadBytesOfOtherCharactersAreNotBreaks)
{
    // U+00E9 (C3 A9), U+0080 (C2 80) and U+2027 (E2 80 A7) share lead bytes with breaks.
    const std::string text = "\u00E9\u0080\u2027x";
    EXPECT_EQ(LineBreakReader::splitAll(text), std::vector<std::string_view>{text});
    EXPECT_EQ(LineBreakReader::splitAll("ends in a cut \xE2\x80"),
              std::vector<std::string_view>{"ends in a cut \xE2\x80"});
}

} // namespace
} // namespace threadhop
