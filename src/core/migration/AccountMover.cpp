#include "AccountMover.h"

#include "BackupArchiver.h"
#include "IdentityRewriter.h"
#include "MigrationAudit.h"
#include "MoveLedger.h"
#include "OperationSteps.h"
#include "PendingOperation.h"
#include "StagedCopy.h"
#include "SessionCopier.h"
#include "core/discovery/SessionLiveness.h"
#include "core/encoding/CwdCodec.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/text/PathText.h"
#include "core/util/fs/ReadBuffer.h"
#include "core/util/text/UnicodeText.h"
#include "core/validation/TranscriptAnalyzer.h"

#include <algorithm>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

bool sameFolder(const fs::path& a, const fs::path& b)
{
    return PathText::standardized(a.native()) == PathText::standardized(b.native());
}

// What the steps after the copy produce, for the moves note and the record.
struct Transformed {
    std::optional<TranscriptTrimmer::Result> trim;
    std::optional<IdentityRewriter::Plan> plan; ///< a fork's
    JSONLRewriter::Result cwdRewrite;
};

const JSONLRewriter::Scope& scopeOf(const AccountMoveInput& input)
{
    return input.rewriteHistory ? JSONLRewriter::Scope::withHistory : JSONLRewriter::Scope::sessionOnly;
}

void refuse(const AccountMoveInput& input, const AccountMovePreview& preview)
{
    if (preview.collision)
        throw AccountMoveError::collision(preview.targetPath);
    if (input.scope.isTrimmed() && input.mode != MoveMode::fork)
        throw AccountMoveError::trimNeedsFork();
    if (!input.scope.isTrimmed() && !preview.integrity.unansweredInMiddle.empty())
        throw AccountMoveError::brokenTranscript(static_cast<std::int64_t>(preview.integrity.unansweredInMiddle.size()));
}

Transformed transform(const AccountMoveInput& input, const SessionCopier::CopyResult& copy, const std::string& newSessionId)
{
    Transformed done;
    if (const auto messages = input.scope.messages()) {
        ReadBuffer text;
        if (!text.load(copy.destinationTranscript))
            throw AccountMoveError::verificationFailed("the copied transcript cannot be read");
        auto trimmed = TranscriptTrimmer::trim(text.content(), *messages);
        AtomicFile::write(copy.destinationTranscript, trimmed.text);
        done.trim = trimmed.result;
    }
    if (input.mode == MoveMode::fork) {
        const auto files = IdentityRewriter::identityFiles(copy.destinationFiles);
        done.plan = IdentityRewriter::buildPlan(files, input.sessionId, newSessionId);
        IdentityRewriter::apply(*done.plan, files);
    }
    const std::string newCwd = AccountMover::destinationCwd(input);
    if (newCwd != input.launchCwd) {
        // Only the copy: other conversations already in the target folder are not this move's to change.
        std::vector<fs::path> transcripts;
        std::copy_if(copy.destinationFiles.begin(), copy.destinationFiles.end(), std::back_inserter(transcripts),
                     [](const fs::path& file) { return file.extension() == ".jsonl"; });
        done.cwdRewrite = JSONLRewriter::rewrite(transcripts, input.launchCwd, newCwd, scopeOf(input));
    }
    return done;
}

// Whether `value` is one of the source's identity values. A whole copy held exactly the source's
// values when the plan was made, so the plan's keys stand for them; a trimmed one did not.
class SourceIdentity final {
public:
    SourceIdentity(const AccountMoveInput& input, const IdentityRewriter::Plan& plan, const SessionCopier::Layout& source)
        : m_plan(plan)
    {
        if (input.scope.isTrimmed())
            m_collected = IdentityRewriter::identityValues(IdentityRewriter::identityFiles(source.allFiles));
    }

    bool contains(const std::string& value) const
    {
        return m_collected ? m_collected->contains(value) : m_plan.mapping.contains(value);
    }

private:
    const IdentityRewriter::Plan& m_plan;
    std::optional<IdentityRewriter::ValueSet> m_collected;
};

void verify(const AccountMoveInput& input, const SessionCopier::CopyResult& copy, const SessionCopier::Layout& source,
            const fs::path& targetFolder, const std::optional<IdentityRewriter::Plan>& plan)
{
    const auto sourceCount = static_cast<std::int64_t>(source.allFiles.size());
    if (copy.filesCopied != sourceCount)
        throw AccountMoveError::verificationFailed(std::to_string(copy.filesCopied) + " of " + std::to_string(sourceCount)
                                                   + " files reached the destination");
    const std::string expected = CwdCodec::encode(AccountMover::destinationCwd(input));
    const std::string folderName = targetFolder.filename().string();
    if (folderName != expected)
        throw AccountMoveError::verificationFailed("destination folder is " + folderName + ", expected " + expected);
    if (plan) {
        const auto copied = IdentityRewriter::identityValues(IdentityRewriter::identityFiles(copy.destinationFiles));
        const SourceIdentity original(input, *plan, source);
        const auto shared = std::count_if(copied.begin(), copied.end(), [&](const std::string& value) { return original.contains(value); });
        if (shared > 0)
            throw AccountMoveError::verificationFailed("the fork still shares " + std::to_string(shared)
                                                       + " identity values with the original");
    }
    ReadBuffer text;
    const auto launchCwd = text.load(copy.destinationTranscript) ? TranscriptAnalyzer::launchCwd(text.content()) : std::nullopt;
    if (!launchCwd)
        throw AccountMoveError::verificationFailed("the copied transcript records no cwd");
    if (CwdCodec::encode(*launchCwd) != expected)
        throw AccountMoveError::verificationFailed("the copied transcript records " + *launchCwd + ", which does not encode to "
                                                   + expected);
}

std::string scopeSummary(const AccountMovePreview& preview, const std::optional<TranscriptTrimmer::Result>& trim)
{
    if (!trim)
        return "full — " + std::to_string(preview.integrity.lines) + " lines, " + MoveLedger::fileSize(preview.totalBytes);
    std::string summary = "trimmed — kept " + std::to_string(trim->keptLines) + " lines, dropped " + std::to_string(trim->droppedLines);
    if (trim->boundaryMovedBy >= 1)
        summary += " (boundary moved back " + std::to_string(trim->boundaryMovedBy) + " lines to stay replayable)";
    return summary;
}

std::optional<std::string> emailOf(const ClaudeAccount& account)
{
    return account.identity ? std::optional(account.identity->emailAddress) : std::nullopt;
}

void writeLedger(const AccountMoveInput& input, const AccountMovePreview& preview, const SessionCopier::CopyResult& copy,
                 const std::string& newSessionId, const std::optional<TranscriptTrimmer::Result>& trim,
                 const std::string& backupPath, const fs::path& sourceFolder, const fs::path& targetFolder)
{
    const std::string newCwd = AccountMover::destinationCwd(input);
    const std::string files = std::to_string(copy.filesCopied);
    MoveLedger::Entry entry{
        .date = std::chrono::system_clock::now(),
        .outgoing = true,
        .sessionId = input.sessionId,
        .newSessionId = newSessionId,
        .sourceAccount = input.source.id,
        .sourceConfigDir = input.source.configDirURL().string(),
        .sourceIdentity = emailOf(input.source),
        .targetAccount = input.target.id,
        .targetConfigDir = input.target.configDirURL().string(),
        .targetIdentity = emailOf(input.target),
        .mode = input.mode == MoveMode::clone ? "A — clone, session id kept" : "B — fork, identity rewritten",
        .scopeSummary = scopeSummary(preview, trim),
        .cwdSummary = newCwd != input.launchCwd ? input.launchCwd + " → " + newCwd : "unchanged (" + input.launchCwd + ")",
        .fileSummary = files + " files (" + std::to_string(preview.subagentCount) + " subagent transcripts)",
        .verified = "yes — " + files + "/" + std::to_string(preview.fileCount) + " files",
        .backupPath = backupPath,
        .sourceWasLive = preview.sourceIsLive.has_value(),
    };
    MoveLedger::append(entry, sourceFolder);
    entry.outgoing = false;
    MoveLedger::append(entry, targetFolder);
}

MigrationRecord recordOf(const AccountMoveInput& input, const SessionCopier::CopyResult& copy, const std::string& newSessionId,
                         const JSONLRewriter::Result& cwdRewrite, const std::string& backupPath, const fs::path& targetFolder)
{
    std::map<std::string, std::int64_t> byClass;
    for (const auto& [cwdClass, count] : cwdRewrite.byClass)
        byClass.emplace(toString(cwdClass), count);
    return MigrationRecord{
        .id = Uuid::random(),
        .timestamp = std::chrono::system_clock::now(),
        .accountId = input.source.id,
        .oldCwd = input.launchCwd,
        .newCwd = AccountMover::destinationCwd(input),
        .oldFolder = input.sourceFolderName,
        .newFolder = targetFolder.filename().string(),
        .filesRewritten = cwdRewrite.files,
        .occurrencesReplaced = JSONLRewriter::inScopeTotal(cwdRewrite, scopeOf(input)),
        .backupPath = backupPath,
        .dryRun = false,
        .success = true,
        .message = std::string(input.mode == MoveMode::clone ? "Clone" : "Fork") + " to " + input.target.id + ": "
                   + std::to_string(copy.filesCopied) + " files, " + input.scope.label() + ".",
        .rewroteHistory = input.rewriteHistory,
        .occurrencesByClass = byClass,
        .targetAccountId = input.target.id,
        .moveMode = std::string(toString(input.mode)),
        .newSessionId = newSessionId != input.sessionId ? std::optional(newSessionId) : std::nullopt,
    };
}

// The preview; the move needs no scan of the source folder, so it can leave that out.
AccountMovePreview computePreview(const AccountMoveInput& input, bool scanFolder)
{
    if (sameFolder(input.source.configDirURL(), input.target.configDirURL()))
        throw AccountMoveError::sameAccount();
    if (input.launchCwd.empty())
        throw AccountMoveError::noCwdRecorded();
    // Everything the record and the copy's name carry must be text the history file can hold.
    for (const std::string* name : {&input.source.id, &input.target.id, &input.sessionId, &input.sourceFolderName,
                                    &input.launchCwd, input.newCwd ? &*input.newCwd : &input.launchCwd}) {
        if (!UnicodeText::isValidUtf8(*name))
            throw AccountMoveError::refused("The name " + UnicodeText::withReplacementCharacters(*name)
                                            + " is not valid UTF-8 text, which the history file cannot hold. The "
                                              "conversation cannot be moved.");
    }
    const fs::path source = AccountMover::sourceFolder(input);
    const auto layout = SessionCopier::layout(input.sessionId, source);
    const fs::path target = AccountMover::targetFolder(input);

    AccountMovePreview preview;
    preview.sourceFolder = input.sourceFolderName;
    preview.targetFolder = target.filename().string();
    preview.targetPath = target.string();
    if (input.mode == MoveMode::clone) {
        std::error_code error;
        const auto status = fs::symlink_status(target / (input.sessionId + ".jsonl"), error);
        preview.collision = status.type() != fs::file_type::not_found && status.type() != fs::file_type::none;
    }
    // One read serves the analysis and the trim, so both describe the same text. A line that is
    // not UTF-8 is one invalid line to them, not a reason to leave the whole transcript out.
    ReadBuffer buffer;
    if (buffer.load(layout.transcript)) {
        preview.integrity = TranscriptAnalyzer::analyze(buffer.content());
        if (const auto messages = input.scope.messages())
            preview.trim = TranscriptTrimmer::trim(buffer.content(), *messages).result;
    }
    if (scanFolder)
        preview.cwdScan = JSONLRewriter::scan(source, input.launchCwd);
    const auto files = static_cast<std::int64_t>(layout.allFiles.size());
    const auto transcripts = static_cast<std::int64_t>(layout.jsonlFiles().size());
    preview.fileCount = files;
    preview.subagentCount = std::max<std::int64_t>(transcripts, 1) - 1;
    preview.totalBytes = layout.totalBytes();
    preview.sourceIsLive = SessionLiveness::isLive(input.sessionId, input.source);
    return preview;
}

PendingOperation pendingNote(const AccountMoveInput& input, const fs::path& target, const std::string& backupPath,
                             const StagedCopy& staged)
{
    PendingOperation note;
    note.kind = PendingOperation::Kind::accountMove;
    note.recordId = Uuid::random();
    note.accountId = input.source.id;
    note.oldCwd = input.launchCwd;
    note.newCwd = AccountMover::destinationCwd(input);
    note.oldFolder = input.sourceFolderName;
    note.newFolder = target.filename().string();
    note.projectsRoot = (input.source.configDirURL() / "projects").string();
    note.archive = backupPath;
    note.targetAccountId = input.target.id;
    note.moveMode = std::string(toString(input.mode));
    note.staging = staged.folder().string();
    note.targetFolder = target.string();
    note.createsTargetFolder = !FileMetadata::itemExists(target);
    return note;
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
    return computePreview(input, true);
}

MigrationRecord AccountMover::move(const AccountMoveInput& input, std::string_view stamp)
{
    const AccountMovePreview preview = computePreview(input, false);
    refuse(input, preview);
    const fs::path source = sourceFolder(input);
    const fs::path target = targetFolder(input);
    const auto layout = SessionCopier::layout(input.sessionId, source);

    const std::string backupPath = BackupArchiver::backup(source, stamp).string();
    if (fs::exists(target)) {
        try {
            BackupArchiver::backup(target, std::string(stamp) + "-target");
        } catch (const std::exception&) {
            // The target's own archive is a courtesy; the move goes on without it.
        }
    }

    const std::string newSessionId = input.mode == MoveMode::fork ? Uuid::random().lowerText() : input.sessionId;
    StagedCopy staged(target, newSessionId);
    staged.refuseCollision();
    PendingOperation note = pendingNote(input, target, backupPath, staged);
    const PendingOperations::Lock running(note.recordId);
    PendingOperations::write(note);
    OperationSteps::reached(OperationStep::noted);

    SessionCopier::CopyResult copy;
    Transformed done;
    try {
        copy = SessionCopier::copy(layout, staged.folder(), newSessionId);
        done = transform(input, copy, newSessionId);
        verify(input, copy, layout, target, done.plan);
        OperationSteps::reached(OperationStep::copied);
        note.placed = staged.placedFiles(copy);
        PendingOperations::write(note);
        staged.place(copy);
    } catch (const std::exception&) {
        // The staged copy goes with `staged`; nothing of it stands in the target folder.
        staged.discard();
        if (note.createsTargetFolder) {
            std::error_code ignored;
            fs::remove(target, ignored); // only when still empty
        }
        PendingOperations::remove(note);
        throw;
    }
    OperationSteps::reached(OperationStep::placed);

    MigrationRecord record = recordOf(input, copy, newSessionId, done.cwdRewrite, backupPath, target);
    record.id = note.recordId;
    MigrationAudit::append(record);
    OperationSteps::reached(OperationStep::recorded);
    // After the record: an interrupted move is taken back, and no note may tell of it then.
    writeLedger(input, preview, copy, newSessionId, done.trim, backupPath, source, target);
    staged.discard();
    PendingOperations::remove(note);
    return record;
}

} // namespace threadhop
