#pragma once

#include "EnumText.h"

#include <optional>
#include <string_view>

namespace threadhop {

/// Whether `claude --resume` started in the recorded directory finds a folder's conversations.
enum class ResumeStatus { ok, cwdMismatch, targetMissing, ephemeralLocation, noCwdRecorded };

std::string_view toString(ResumeStatus status);
/// Exact match of a case name; anything else gives nothing.
template <>
std::optional<ResumeStatus> fromString<ResumeStatus>(std::string_view text);

/// True for the two problem statuses, `cwdMismatch` and `targetMissing`.
bool needsAttention(ResumeStatus status);

} // namespace threadhop
