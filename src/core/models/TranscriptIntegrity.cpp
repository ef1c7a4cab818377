#include "TranscriptIntegrity.h"

#include "core/util/text/PathText.h"

namespace threadhop {

std::vector<std::string> TranscriptIntegrity::driftedOutOfTree() const
{
    std::vector<std::string> drifted;
    if (!launchCwd)
        return drifted;
    for (const auto& cwd : recordedCwds) {
        if (!PathText::isAtOrBelow(cwd, *launchCwd))
            drifted.push_back(cwd);
    }
    return drifted;
}

} // namespace threadhop
