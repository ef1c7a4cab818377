#pragma once

namespace threadhop {

/// Whether `claude --resume` started in the recorded directory finds a folder's conversations.
enum class ResumeStatus { ok, cwdMismatch, targetMissing, ephemeralLocation, noCwdRecorded };

/// True for the two problem statuses, `cwdMismatch` and `targetMissing`.
inline bool needsAttention(ResumeStatus status)
{
    return status == ResumeStatus::cwdMismatch || status == ResumeStatus::targetMissing;
}

} // namespace threadhop
