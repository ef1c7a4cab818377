#include "core/util/text/PathText.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(PathTextTest, StandardizedAndLastComponentIgnoreTrailingSlash)
{
    EXPECT_EQ(PathText::standardized("/Users/ana/.claude/"), "/Users/ana/.claude");
    EXPECT_EQ(PathText::standardized("/Users//ana/./x/../.claude"), "/Users/ana/.claude");
    EXPECT_EQ(PathText::standardized("/.."), "/");
    EXPECT_EQ(PathText::standardized("/"), "/");
    EXPECT_EQ(PathText::standardized("a/b/../../.."), "..");
    EXPECT_EQ(PathText::standardized(""), "");
    // Equal folders give equal keys however they are written.
    EXPECT_EQ(PathText::standardized("/a/b/"), PathText::standardized("/a//b/."));

    // A trailing slash names no component of its own.
    EXPECT_EQ(PathText::lastComponent("/Users/ana/site/"), "site");
    EXPECT_EQ(PathText::lastComponent("/opt/bin/claude"), "claude");
    EXPECT_EQ(PathText::lastComponent("claude"), "claude");
    EXPECT_EQ(PathText::lastComponent("/"), "/");
    EXPECT_EQ(PathText::lastComponent(""), "");
}

} // namespace
} // namespace threadhop
