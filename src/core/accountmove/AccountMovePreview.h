#pragma once

#include "TranscriptTrimmer.h"
#include "core/editing/JSONLRewriter.h"
#include "core/models/LiveSession.h"
#include "core/models/TranscriptIntegrity.h"

#include <cstdint>
#include <optional>
#include <string>

namespace threadhop {

/// What an account move would do, computed without touching anything.
struct AccountMovePreview {
    std::string sourceFolder;       ///< the source project folder's name
    std::string targetFolder;       ///< the target project folder's name
    std::string targetPath;         ///< the target project folder's full path
    std::int64_t fileCount = 0;     ///< the transcript and its side-folder files
    std::int64_t subagentCount = 0; ///< subagent transcripts among them
    std::int64_t totalBytes = 0;
    TranscriptIntegrity integrity; ///< the analysis of the source transcript
    JSONLRewriter::Result cwdScan; ///< occurrences of the launch directory in the source folder
    bool collision = false;        ///< a clone would meet a conversation that is already there
    std::optional<LiveSession> sourceIsLive;
    std::optional<TranscriptTrimmer::Result> trim; ///< what a trimmed move would keep

    bool operator==(const AccountMovePreview&) const = default;

    /// The tokens resuming the copy would send: the last context size, scaled down by the share of
    /// lines a trim keeps; without a context size, the bytes copied divided by 4.
    std::int64_t estimatedResumeTokens() const;
};

} // namespace threadhop
