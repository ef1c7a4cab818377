#include "core/models/CwdClass.h"
#include "core/models/MoveMode.h"
#include "core/models/ResumeStatus.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

// The exact strings the history file stores and reads back; anything else reads as nothing.
TEST(EnumTextTest, TheStoredStringsAndNothingElse)
{
    const std::pair<CwdClass, const char*> classes[] = {{CwdClass::sessionCwd, "sessionCwd"},
        {CwdClass::driftedCwd, "driftedCwd"}, {CwdClass::history, "history"}, {CwdClass::externalState, "externalState"}};
    for (const auto& [cwdClass, text] : classes) {
        EXPECT_EQ(toString(cwdClass), text);
        EXPECT_EQ(fromString<CwdClass>(text), cwdClass);
    }
    const std::pair<ResumeStatus, const char*> statuses[] = {{ResumeStatus::ok, "ok"},
        {ResumeStatus::cwdMismatch, "cwdMismatch"}, {ResumeStatus::targetMissing, "targetMissing"},
        {ResumeStatus::ephemeralLocation, "ephemeralLocation"}, {ResumeStatus::noCwdRecorded, "noCwdRecorded"}};
    for (const auto& [status, text] : statuses) {
        EXPECT_EQ(toString(status), text);
        EXPECT_EQ(fromString<ResumeStatus>(text), status);
    }
    EXPECT_EQ(fromString<MoveMode>("clone"), MoveMode::clone);
    EXPECT_EQ(fromString<MoveMode>("fork"), MoveMode::fork);
    for (const char* other : {"session", "History", "OK", "", " fork"}) {
        EXPECT_EQ(fromString<CwdClass>(other), std::nullopt) << other;
        EXPECT_EQ(fromString<ResumeStatus>(other), std::nullopt) << other;
        EXPECT_EQ(fromString<MoveMode>(other), std::nullopt) << other;
    }
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
