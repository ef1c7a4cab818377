// Transcripts of any shape through the analyser, which must never fail and must agree with its own
// shortcut for the launch directory.
#include "FuzzCheck.h"

#include "core/validation/TranscriptAnalyzer.h"

using namespace threadhop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::text(data, size);
    const TranscriptIntegrity integrity = TranscriptAnalyzer::analyze(text);
    fuzz::require(integrity.invalidLines >= 0 && integrity.invalidLines <= integrity.lines);
    fuzz::require(!integrity.lastCompleteLineIndex
                  || (*integrity.lastCompleteLineIndex >= 0 && *integrity.lastCompleteLineIndex < integrity.lines));
    fuzz::require(TranscriptAnalyzer::launchCwd(text) == integrity.launchCwd);
    integrity.driftedOutOfTree();
    return 0;
}
