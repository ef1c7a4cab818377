#include "core/encoding/CwdCodec.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(CwdCodecTest, ReplacesSeparatorsDotsUnderscoresAndSpacesSoDifferentDirectoriesCanShareAName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/Users/ana/my_site.web", "-Users-ana-my-site-web"},
        {"/Users/ana/Café Notes", "-Users-ana-Café-Notes"},
        {"/Users/ana/.config", "-Users-ana--config"},
        {"/a+b", "-a+b"},
        {"", ""},
        {"/a-b", "-a-b"},
        {"/a/b", "-a-b"},
        // "." followed by U+0301 is one user-perceived character, so it is not replaced.
        {"/x.\u0301y/z", "-x.\u0301y-z"},
    };
    for (const auto& [directory, folder] : cases)
        EXPECT_EQ(CwdCodec::encode(directory), folder) << directory;
}

} // namespace
} // namespace threadhop
