#include "core/util/format/Uuid.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(UuidTest, ParsesEitherCaseWritesBothAndMakesRandomOnes)
{
    const auto uuid = Uuid::parse("3579fa66-0f5d-400c-97b8-E2FBECFEB4BA");
    ASSERT_TRUE(uuid);
    EXPECT_EQ(uuid->upperText(), "3579FA66-0F5D-400C-97B8-E2FBECFEB4BA");
    EXPECT_EQ(uuid->lowerText(), "3579fa66-0f5d-400c-97b8-e2fbecfeb4ba");
    EXPECT_EQ(Uuid::parse(uuid->upperText()), uuid);

    // Random ones are of version 4 and variant 1.
    const Uuid a = Uuid::random();
    EXPECT_NE(a, Uuid::random());
    const std::string text = a.lowerText();
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89ab").find(text[19]), std::string::npos);
}

TEST(UuidTest, RejectsOtherShapesWithoutReadingPastTheText)
{
    // Held on the heap, so that a read past the end shows under AddressSanitizer.
    for (const std::string text : {"3579fa660f5d400c97b8e2fbecfeb4ba", "{3579fa66-0f5d-400c-97b8-e2fbecfeb4b}",
                                   "3579fa66-0f5d-400c-97b8-e2fbecfeb4bg", "3579fa66-0f5d-400c-97b8e-2fbecfeb4ba", "",
                                   "00000000-0000-0000-0000-00-00000000-", "00000000-0000-0000-0000-00-00-000000",
                                   "00000000-0000-0000-0000-0000000000-0", "00000000-0000-0000-0000------------"})
        EXPECT_FALSE(Uuid::parse(text)) << text;
}

} // namespace
} // namespace threadhop
