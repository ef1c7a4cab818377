#include "core/models/CwdClass.h"
#include "core/models/ResumeStatus.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(EnumTextTest, StringValuesAreTheCaseNames)
{
    for (const auto status : {ResumeStatus::ok, ResumeStatus::cwdMismatch, ResumeStatus::targetMissing,
                              ResumeStatus::ephemeralLocation, ResumeStatus::noCwdRecorded})
        EXPECT_EQ(fromString<ResumeStatus>(toString(status)), status);
    for (const auto cwdClass : allCwdClasses)
        EXPECT_EQ(fromString<CwdClass>(toString(cwdClass)), cwdClass);
    EXPECT_EQ(toString(CwdClass::externalState), "externalState");
    EXPECT_EQ(fromString<CwdClass>("history"), CwdClass::history);
    EXPECT_EQ(fromString<CwdClass>("session"), std::nullopt);
    EXPECT_EQ(fromString<ResumeStatus>("OK"), std::nullopt);
}

TEST(EnumTextTest, OnlyMismatchAndMissingNeedAttention)
{
    EXPECT_TRUE(needsAttention(ResumeStatus::cwdMismatch));
    EXPECT_TRUE(needsAttention(ResumeStatus::targetMissing));
    EXPECT_FALSE(needsAttention(ResumeStatus::ok));
    EXPECT_FALSE(needsAttention(ResumeStatus::ephemeralLocation));
    EXPECT_FALSE(needsAttention(ResumeStatus::noCwdRecorded));
}

} // namespace
} // namespace threadhop
