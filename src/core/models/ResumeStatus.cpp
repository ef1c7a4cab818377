#include "ResumeStatus.h"

#include <array>
#include <utility>

namespace threadhop {
namespace {

constexpr std::array<std::pair<ResumeStatus, std::string_view>, 5> names{{
    {ResumeStatus::ok, "ok"},
    {ResumeStatus::cwdMismatch, "cwdMismatch"},
    {ResumeStatus::targetMissing, "targetMissing"},
    {ResumeStatus::ephemeralLocation, "ephemeralLocation"},
    {ResumeStatus::noCwdRecorded, "noCwdRecorded"},
}};

} // namespace

std::string_view toString(ResumeStatus status)
{
    return names[static_cast<std::size_t>(status)].second;
}

template <>
std::optional<ResumeStatus> fromString<ResumeStatus>(std::string_view text)
{
    for (const auto& [status, name] : names) {
        if (name == text)
            return status;
    }
    return std::nullopt;
}

bool needsAttention(ResumeStatus status)
{
    return status == ResumeStatus::cwdMismatch || status == ResumeStatus::targetMissing;
}

} // namespace threadhop
