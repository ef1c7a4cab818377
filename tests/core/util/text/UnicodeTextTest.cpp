#include "core/util/text/UnicodeText.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(UnicodeTextTest, TrimBlanksTakesSpaceSeparatorsAndSplitTakesLineBreaksToo)
{
    EXPECT_EQ(UnicodeText::trimBlanks(" \t\u00A0\u3000SITE\u2003 "), "SITE");
    EXPECT_EQ(UnicodeText::trimBlanks("\nx\n"), "\nx\n");
    EXPECT_EQ(UnicodeText::trimBlanks("   "), "");
    // Splitting at whitespace does take line breaks.
    EXPECT_EQ(UnicodeText::splitAtWhitespace("  a\u2028b\u00A0\tc\n"), (std::vector<std::string_view>{"a", "b", "c"}));
    EXPECT_TRUE(UnicodeText::splitAtWhitespace(" \n ").empty());
}

TEST(UnicodeTextTest, WithoutCutCharacterDropsOnlyAnIncompleteTail)
{
    const std::string euro = "\xE2\x82\xAC"; // three bytes
    EXPECT_EQ(UnicodeText::withoutCutCharacter("ab" + euro), "ab" + euro);
    EXPECT_EQ(UnicodeText::withoutCutCharacter("ab" + euro.substr(0, 2)), "ab");
    EXPECT_EQ(UnicodeText::withoutCutCharacter("ab" + euro.substr(0, 1)), "ab");
    EXPECT_EQ(UnicodeText::withoutCutCharacter("ab\xF0\x9F\x98"), "ab");
    EXPECT_EQ(UnicodeText::withoutCutCharacter("ab"), "ab");
    EXPECT_EQ(UnicodeText::withoutCutCharacter(""), "");
}

TEST(UnicodeTextTest, CharacterClassesFollowUnicodeNotAscii)
{
    EXPECT_TRUE(UnicodeText::isIdentifierLike("CLAUDE_CONFIG_DIR"));
    EXPECT_TRUE(UnicodeText::isIdentifierLike("Ünï_2"));
    EXPECT_FALSE(UnicodeText::isIdentifierLike("A-B"));
    EXPECT_FALSE(UnicodeText::isIdentifierLike(""));
    EXPECT_FALSE(UnicodeText::isIdentifierLike("/x"));

    // An ASCII character stands alone unless a mark fuses it with its neighbour.
    const std::string text = "a/\u0301b\"c"; // "/" carries a combining acute accent
    EXPECT_FALSE(UnicodeText::asciiStandsAlone(text, 1));
    EXPECT_TRUE(UnicodeText::asciiStandsAlone(text, text.find('"')));
    EXPECT_FALSE(UnicodeText::asciiStandsAlone("x\u200D", 0)); // zero-width joiner
    EXPECT_FALSE(UnicodeText::asciiStandsAlone("\u0600/", 2)); // prepended concatenation mark
    EXPECT_TRUE(UnicodeText::asciiStandsAlone("é/", 2));
}

} // namespace
} // namespace threadhop
