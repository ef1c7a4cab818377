#include "ResumeStatus.h"

namespace threadhop {

bool needsAttention(ResumeStatus status)
{
    return status == ResumeStatus::cwdMismatch || status == ResumeStatus::targetMissing;
}

} // namespace threadhop
