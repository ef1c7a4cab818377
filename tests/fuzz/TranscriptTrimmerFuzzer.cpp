// Transcripts of any shape cut to their last lines. The counts must describe the text given back,
// and a cut that keeps everything must give the transcript back unchanged.
#include "FuzzCheck.h"

#include "core/accountmove/TranscriptTrimmer.h"

using namespace threadhop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte is the number of messages asked for, from -8 on.
    const std::int64_t messages = static_cast<std::int64_t>(data[0]) - 8;
    const std::string_view text = fuzz::text(data + 1, size - 1);
    const TranscriptTrimmer::Output output = TranscriptTrimmer::trim(text, messages);
    const auto& result = output.result;
    fuzz::require(result.requestedMessages == messages);
    fuzz::require(result.keptBytes == static_cast<std::int64_t>(output.text.size()));
    fuzz::require(result.keptLines >= 0 && result.droppedLines >= 0 && result.boundaryMovedBy >= 0);
    if (messages < 1)
        fuzz::require(output.text == text);
    TranscriptTrimmer::rootify(text.substr(0, text.find('\n')));
    return 0;
}
