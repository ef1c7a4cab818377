#pragma once

#include "StringValued.h"

namespace threadhop {

/// Whether `claude --resume` started in the recorded directory finds a folder's conversations.
enum class ResumeStatus { ok, cwdMismatch, targetMissing, ephemeralLocation, noCwdRecorded };

/// The case names.
template <>
struct StringValues<ResumeStatus> {
    static constexpr std::array<std::string_view, 5> values{"ok", "cwdMismatch", "targetMissing", "ephemeralLocation",
                                                            "noCwdRecorded"};
};

/// True for the two problem statuses, `cwdMismatch` and `targetMissing`.
inline bool needsAttention(ResumeStatus status)
{
    return status == ResumeStatus::cwdMismatch || status == ResumeStatus::targetMissing;
}

} // namespace threadhop
