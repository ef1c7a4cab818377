#include "core/util/fs/ReadBuffer.h"

#include "support/TempHome.h"

namespace threadhop {
namespace {

using testing::writeFile;

TEST(ReadBufferTest, ReusedBufferHoldsExactlyEachFile)
{
    const testing::TempFolder folder;
    const std::string large(300'000, 'x');
    writeFile(folder.path() / "large", large);
    writeFile(folder.path() / "small", "small");
    writeFile(folder.path() / "empty", "");

    ReadBuffer buffer;
    ASSERT_TRUE(buffer.load(folder.path() / "large"));
    EXPECT_EQ(buffer.content(), large);
    ASSERT_TRUE(buffer.load(folder.path() / "small"));
    EXPECT_EQ(buffer.content(), "small");
    ASSERT_TRUE(buffer.load(folder.path() / "empty"));
    EXPECT_EQ(buffer.content(), "");
    ASSERT_TRUE(buffer.load(folder.path() / "large", 1000));
    EXPECT_EQ(buffer.content(), large.substr(0, 1000));
}

TEST(ReadBufferTest, PaddingAfterContentIsZero)
{
    const testing::TempFolder folder;
    writeFile(folder.path() / "f", "abc");
    ReadBuffer buffer;
    ASSERT_TRUE(buffer.load(folder.path() / "f"));
    for (std::size_t i = 0; i < ReadBuffer::padding; ++i)
        EXPECT_EQ(buffer.content().data()[3 + i], '\0');
}

TEST(ReadBufferTest, FoldersAndMissingFilesFail)
{
    const testing::TempFolder folder;
    ReadBuffer buffer;
    EXPECT_FALSE(buffer.load(folder.path()));
    EXPECT_FALSE(buffer.load(folder.path() / "missing"));
    EXPECT_TRUE(buffer.content().empty());
}

} // namespace
} // namespace threadhop
