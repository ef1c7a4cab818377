#include "core/util/fs/ReadBuffer.h"

#include "support/TempHome.h"

namespace threadhop::testing {
namespace {

TEST(ReadBufferTest, AReusedBufferHoldsExactlyEachFileWithZeroPaddingAfterIt)
{
    const TempFolder folder;
    const std::string large(300'000, 'x');
    writeFile(folder.path() / "large", large);
    writeFile(folder.path() / "small", "small");
    writeFile(folder.path() / "empty", "");

    ReadBuffer buffer;
    ASSERT_TRUE(buffer.load(folder.path() / "large"));
    EXPECT_EQ(buffer.content(), large);
    ASSERT_TRUE(buffer.load(folder.path() / "small"));
    EXPECT_EQ(buffer.content(), "small");
    // The parser reads up to `padding` bytes past the end.
    const std::string_view padding(buffer.content().data() + 5, ReadBuffer::padding);
    EXPECT_EQ(padding, std::string(ReadBuffer::padding, '\0'));
    ASSERT_TRUE(buffer.load(folder.path() / "empty"));
    EXPECT_EQ(buffer.content(), "");
    ASSERT_TRUE(buffer.load(folder.path() / "large", 1000));
    EXPECT_EQ(buffer.content(), large.substr(0, 1000));

    EXPECT_FALSE(buffer.load(folder.path()));
    EXPECT_FALSE(buffer.load(folder.path() / "missing"));
    EXPECT_TRUE(buffer.content().empty());
}

} // namespace
} // namespace threadhop::testing
