// The text helpers: Unicode-aware blanks and character classes, paths as text, line breaks and search.

#include "core/util/text/LineBreakReader.h"
#include "core/util/text/PathText.h"
#include "core/util/text/TextSearch.h"
#include "core/util/text/UnicodeText.h"

#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

std::vector<std::string_view> everyLine(std::string_view text)
{
    std::vector<std::string_view> lines;
    LineBreakReader reader(text);
    while (const auto line = reader.next())
        lines.push_back(*line);
    return lines;
}

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
    for (const std::string& cut : {euro.substr(0, 2), euro.substr(0, 1), std::string("\xF0\x9F\x98"), std::string()})
        EXPECT_EQ(UnicodeText::withoutCutCharacter("ab" + cut), "ab") << cut.size();
    EXPECT_EQ(UnicodeText::withoutCutCharacter(""), "");
}

TEST(UnicodeTextTest, CharacterClassesFollowUnicodeNotAscii)
{
    for (const auto& [text, identifier] : std::initializer_list<std::pair<const char*, bool>>{
             {"CLAUDE_CONFIG_DIR", true}, {"Ünï_2", true}, {"A-B", false}, {"", false}, {"/x", false}})
        EXPECT_EQ(UnicodeText::isIdentifierLike(text), identifier) << text;

    // An ASCII character stands alone unless a mark fuses it with its neighbour.
    const std::string text = "a/\u0301b\"c"; // "/" carries a combining acute accent
    EXPECT_FALSE(UnicodeText::asciiStandsAlone(text, 1));
    EXPECT_TRUE(UnicodeText::asciiStandsAlone(text, text.find('"')));
    EXPECT_FALSE(UnicodeText::asciiStandsAlone("x\u200D", 0)); // zero-width joiner
    EXPECT_FALSE(UnicodeText::asciiStandsAlone("\u0600/", 2)); // prepended concatenation mark
    EXPECT_TRUE(UnicodeText::asciiStandsAlone("é/", 2));
}

TEST(PathTextTest, StandardizedAndLastComponentIgnoreTrailingSlash)
{
    // path → standardized, last component; a trailing slash names no component of its own.
    const std::tuple<std::string, std::string, std::string> cases[]{
        {"/Users/ana/.claude/", "/Users/ana/.claude", ".claude"},
        {"/Users//ana/./x/../.claude", "/Users/ana/.claude", ".claude"},
        {"/..", "/", ".."},
        {"/", "/", "/"},
        {"a/b/../../..", "..", ".."},
        {"", "", ""},
        {"claude", "claude", "claude"},
    };
    for (const auto& [path, standardized, last] : cases)
        EXPECT_EQ(std::tuple(PathText::standardized(path), std::string(PathText::lastComponent(path))),
                  std::tuple(standardized, last))
            << path;
}

TEST(LineBreakReaderTest, SplitsAtEveryLineBreakButNotAtOtherCharactersSharingTheirLeadBytes)
{
    const std::string text = "\n\na\nb\rc\r\nd\ve\ff\u0085g\u2028h\u2029i\n\n\r\n";
    const std::vector<std::string_view> expected{"a", "b", "c", "d", "e", "f", "g", "h", "i"};
    EXPECT_EQ(everyLine(text), expected);
    EXPECT_EQ(LineBreakReader("").next(), std::nullopt);
    // U+00E9 (C3 A9), U+0080 (C2 80) and U+2027 (E2 80 A7) share lead bytes with breaks.
    const std::string shared = "\u00E9\u0080\u2027x";
    EXPECT_EQ(everyLine(shared), std::vector<std::string_view>{shared});
    EXPECT_EQ(everyLine("ends in a cut \xE2\x80"), std::vector<std::string_view>{"ends in a cut \xE2\x80"});
}

TEST(TextSearchTest, AgreesWithTheStandardSearchAtEveryLengthAndAlignment)
{
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string needle;
        const std::size_t needleLength = 1 + random() % (round % 4 == 0 ? 70 : 5);
        for (std::size_t i = 0; i < needleLength; ++i)
            needle += "ab/"[random() % 3];
        std::string haystack;
        const std::size_t length = random() % 200;
        while (haystack.size() < length)
            haystack += random() % 5 == 0 ? needle : std::string(1, "ab/\\u"[random() % 5]);
        const std::size_t from = haystack.empty() ? 0 : random() % (haystack.size() + 1);
        ASSERT_EQ(TextSearch::find(haystack, needle, from), std::string_view(haystack).find(needle, from))
            << haystack << " / " << needle << " from " << from;

        std::int64_t expected = 0;
        for (auto at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + needle.size()))
            ++expected;
        ASSERT_EQ(TextSearch::count(haystack, needle), expected);
    }
    // Where the standard search has no answer to compare with: an empty needle, a count's limit.
    EXPECT_EQ(TextSearch::find("abc", ""), std::string_view::npos);
    EXPECT_EQ(TextSearch::count(std::string(100, 'a'), "a", 2), 2);
}

} // namespace
} // namespace threadhop
