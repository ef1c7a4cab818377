#include "AccountMover.h"

#include "SessionCopier.h"
#include "core/discovery/SessionLiveness.h"
#include "core/encoding/CwdCodec.h"
#include "core/util/PathText.h"
#include "core/util/ReadBuffer.h"
#include "core/util/UnicodeText.h"
#include "core/validation/TranscriptAnalyzer.h"

#include <algorithm>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

bool sameFolder(const fs::path& a, const fs::path& b)
{
    return PathText::standardized(a.native()) == PathText::standardized(b.native());
}

} // namespace

std::string AccountMover::destinationCwd(const AccountMoveInput& input)
{
    return input.newCwd && !input.newCwd->empty() ? *input.newCwd : input.launchCwd;
}

fs::path AccountMover::sourceFolder(const AccountMoveInput& input)
{
    return input.source.configDirURL() / "projects" / input.sourceFolderName;
}

fs::path AccountMover::targetFolder(const AccountMoveInput& input)
{
    return input.target.configDirURL() / "projects" / CwdCodec::encode(destinationCwd(input));
}

AccountMovePreview AccountMover::preview(const AccountMoveInput& input)
{
    if (sameFolder(input.source.configDirURL(), input.target.configDirURL()))
        throw AccountMoveError::sameAccount();
    if (input.launchCwd.empty())
        throw AccountMoveError::noCwdRecorded();
    const fs::path source = sourceFolder(input);
    const auto layout = SessionCopier::layout(input.sessionId, source);
    const fs::path target = targetFolder(input);

    AccountMovePreview preview;
    preview.sourceFolder = input.sourceFolderName;
    preview.targetFolder = target.filename().string();
    preview.targetPath = target.string();
    if (input.mode == MoveMode::clone) {
        std::error_code error;
        const auto status = fs::symlink_status(target / (input.sessionId + ".jsonl"), error);
        preview.collision = status.type() != fs::file_type::not_found && status.type() != fs::file_type::none;
    }
    // One read serves the analysis and the trim, so both describe the same text.
    ReadBuffer buffer;
    if (buffer.load(layout.transcript) && UnicodeText::isValidUtf8(buffer.content())) {
        preview.integrity = TranscriptAnalyzer::analyze(buffer.content());
        if (const auto messages = input.scope.messages())
            preview.trim = TranscriptTrimmer::trim(buffer.content(), *messages).result;
    }
    preview.cwdScan = JSONLRewriter::scan(source, input.launchCwd);
    const auto files = static_cast<std::int64_t>(layout.allFiles.size());
    const auto transcripts = static_cast<std::int64_t>(layout.jsonlFiles().size());
    preview.fileCount = files;
    preview.subagentCount = std::max<std::int64_t>(transcripts, 1) - 1;
    preview.totalBytes = layout.totalBytes();
    preview.sourceIsLive = SessionLiveness::isLive(input.sessionId, input.source);
    return preview;
}

} // namespace threadhop
