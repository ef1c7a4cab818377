#include "core/util/text/TextSearch.h"

#include <random>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

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
        ASSERT_EQ(TextSearch::containsPair(haystack, '\\', '/', 'u'),
                  haystack.find("\\/") != std::string::npos || haystack.find("\\u") != std::string::npos);
    }
}

// Where the standard search above has no answer to compare with.
TEST(TextSearchTest, AnEmptyNeedleIsNeverFoundAndACountStopsAtItsLimit)
{
    EXPECT_EQ(TextSearch::find("abc", ""), std::string_view::npos);
    EXPECT_EQ(TextSearch::count(std::string(100, 'a'), "a", 2), 2);
}

} // namespace
} // namespace threadhop
