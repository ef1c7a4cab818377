#include "AccountMovePreview.h"

namespace threadhop {

std::int64_t AccountMovePreview::estimatedResumeTokens() const
{
    if (const auto context = integrity.lastContextTokens) {
        if (!trim || trim->droppedLines < 1 || integrity.lines < 1)
            return *context;
        const double scaled =
            static_cast<double>(*context) * static_cast<double>(trim->keptLines) / static_cast<double>(integrity.lines);
        // Never above the context size, which also keeps the conversion within range.
        return scaled < static_cast<double>(*context) ? static_cast<std::int64_t>(scaled) : *context;
    }
    return (trim ? trim->keptBytes : totalBytes) / 4;
}

} // namespace threadhop
