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
                                                        {CwdClass::driftedCwd, "driftedCwd"},
                                                        {CwdClass::history, "history"},
                                                        {CwdClass::externalState, "externalState"}};
    for (const auto& [cwdClass, text] : classes) {
        EXPECT_EQ(toString(cwdClass), text);
        EXPECT_EQ(fromString<CwdClass>(text), cwdClass);
    }
    const std::pair<ResumeStatus, const char*> statuses[] = {{ResumeStatus::ok, "ok"},
                                                             {ResumeStatus::cwdMismatch, "cwdMismatch"},
                                                             {ResumeStatus::targetMissing, "targetMissing"},
                                                             {ResumeStatus::ephemeralLocation, "ephemeralLocation"},
                                                             {ResumeStatus::noCwdRecorded, "noCwdRecorded"}};
    for (const auto& [status, text] : statuses) {
        EXPECT_EQ(toString(status), text);
        EXPECT_EQ(fromString<ResumeStatus>(text), status);
    }
    for (const auto& [mode, text] : {std::pair{MoveMode::clone, "clone"}, std::pair{MoveMode::fork, "fork"}}) {
        EXPECT_EQ(toString(mode), text);
        EXPECT_EQ(fromString<MoveMode>(text), mode);
    }
    for (const char* other : {"session", "History", "OK", "", " fork", "Fork"}) {
        EXPECT_EQ(fromString<CwdClass>(other), std::nullopt) << other;
        EXPECT_EQ(fromString<ResumeStatus>(other), std::nullopt) << other;
        EXPECT_EQ(fromString<MoveMode>(other), std::nullopt) << other;
    }
}

} // namespace
} // namespace threadhop
