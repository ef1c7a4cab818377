#include "core/encoding/CwdCodec.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(CwdCodecTest, ReplacesSeparatorsDotsUnderscoresAndSpaces)
{
    EXPECT_EQ(CwdCodec::encode("/Users/ana/my_site.web"), "-Users-ana-my-site-web");
    EXPECT_EQ(CwdCodec::encode("/Users/ana/Café Notes"), "-Users-ana-Café-Notes");
    EXPECT_EQ(CwdCodec::encode("/Users/ana/.config"), "-Users-ana--config");
    EXPECT_EQ(CwdCodec::encode("/a+b"), "-a+b");
    EXPECT_EQ(CwdCodec::encode(""), "");
}

TEST(CwdCodecTest, DifferentDirectoriesCanShareAName)
{
    EXPECT_EQ(CwdCodec::encode("/a-b"), CwdCodec::encode("/a/b"));
    EXPECT_EQ(CwdCodec::encode("/a/b.c"), CwdCodec::encode("/a/b_c"));
}

TEST(CwdCodecTest, CharacterFusedWithACombiningMarkIsKept)
{
    // "." followed by U+0301 is one user-perceived character, so it is not replaced.
    EXPECT_EQ(CwdCodec::encode("/x.\u0301y/z"), "-x.\u0301y-z");
}

} // namespace
} // namespace threadhop
