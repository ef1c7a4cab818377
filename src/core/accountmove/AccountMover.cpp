#include "AccountMover.h"

#include "IdentityRewriter.h"
#include "MoveLedger.h"
#include "SessionCopier.h"
#include "StagedCopy.h"
#include "core/discovery/SessionLiveness.h"
#include "core/encoding/CwdCodec.h"
#include "core/migration/BackupArchiver.h"
#include "core/operations/AccountLock.h"
#include "core/operations/MigrationAudit.h"
#include "core/operations/OperationSteps.h"
#include "core/operations/PendingOperation.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/fs/ReadBuffer.h"
#include "core/util/text/PathText.h"
#include "core/util/text/UnicodeText.h"
#include "core/validation/TranscriptAnalyzer.h"

#include <algorithm>
#include <functional>
#include <map>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

bool sameFolder(const fs::path& a, const fs::path& b)
{
    return PathText::standardized(a.native()) == PathText::standardized(b.native());
}

void refuse(const AccountMoveInput& input, const AccountMovePreview& preview)
{
    if (preview.collision)
        throw AccountMoveError::collision(preview.targetPath);
    if (input.scope.isTrimmed() && input.mode != MoveMode::fork)
        throw AccountMoveError::trimNeedsFork();
    if (!input.scope.isTrimmed() && !preview.integrity.unansweredInMiddle.empty())
        throw AccountMoveError::brokenTranscript(
            static_cast<std::int64_t>(preview.integrity.unansweredInMiddle.size()));
}

// One read of the conversation's files serves the analysis, the identity plan and the copy, so
// that each line is parsed once before the copy is written.
struct ConversationRead {
    std::map<fs::path, ReadBuffer> texts; ///< the files that may be edited (.jsonl, .meta.json), as read
    TranscriptIntegrity integrity;
    IdentityRewriter::ValueSet identities;            ///< of every such file, when asked for
    std::optional<TranscriptTrimmer::Output> trimmed; ///< for a trimmed scope
};

// Reads the transcript (analysed, and trimmed for a trimmed scope); with `wholeConversation`, the
// other editable files too, and the identity values of all of them.
ConversationRead readConversation(const SessionCopier::Layout& layout, const TranscriptScope& scope,
                                  bool wholeConversation)
{
    ConversationRead read;
    const auto collect = [&](simdjson::dom::element line) {
        IdentityRewriter::collect(line, std::nullopt, read.identities);
    };
    const auto files =
        wholeConversation ? IdentityRewriter::identityFiles(layout.allFiles) : std::vector<fs::path>{layout.transcript};
    for (const auto& file : files) {
        ReadBuffer buffer;
        if (!buffer.load(file))
            continue;
        const std::string_view text = buffer.content();
        if (file == layout.transcript) {
            // A line that is not UTF-8 is one invalid line here, not a reason to leave the transcript out.
            read.integrity =
                wholeConversation ? TranscriptAnalyzer::analyze(text, collect) : TranscriptAnalyzer::analyze(text);
            if (const auto messages = scope.messages())
                read.trimmed = TranscriptTrimmer::trim(text, *messages);
        } else {
            IdentityRewriter::collectFromText(text, read.identities);
        }
        read.texts.emplace(file, std::move(buffer));
    }
    return read;
}

// Writes each copied file with its edits: the transcript trimmed, then, in every editable file,
// the identity values of a fork replaced and the working directory moved; a file that stays as it
// is is left to the byte copy.
class CopyEdits final {
public:
    CopyEdits(const AccountMoveInput& input, const ConversationRead& read, const fs::path& transcript,
              const std::optional<IdentityRewriter::Plan>& plan)
        : m_input(input), m_read(read), m_transcript(transcript), m_newCwd(AccountMover::destinationCwd(input))
    {
        if (plan)
            m_identity.emplace(*plan);
    }

    bool operator()(const fs::path& source, const std::function<void(std::string_view)>& write)
    {
        const auto found = m_read.texts.find(source);
        if (found == m_read.texts.end())
            return false;
        std::string_view text = found->second.content();
        const bool trim = source == m_transcript && m_read.trimmed;
        const bool moveCwd = m_newCwd != m_input.launchCwd && source.extension() == ".jsonl";
        if (!trim && !moveCwd) {
            if (!m_identity)
                return false;
            m_identity->edit(text, write); // the usual fork: straight to the file, a line at a time
            return true;
        }
        if (trim)
            text = m_read.trimmed->text;
        std::string identities;
        if (m_identity) {
            m_identity->edit(text, identities);
            text = identities;
        }
        std::string moved;
        if (moveCwd) {
            addTo(m_cwdRewrite,
                  JSONLRewriter::rewriteText(text, m_input.launchCwd, m_newCwd,
                                             JSONLRewriter::Scope::of(m_input.rewriteHistory), moved));
            text = moved;
        }
        write(text);
        return true;
    }

    /// What the working-directory rewrite found, over the copied transcripts.
    const JSONLRewriter::Result& cwdRewrite() const { return m_cwdRewrite; }

private:
    static void addTo(JSONLRewriter::Result& total, const JSONLRewriter::Result& file)
    {
        total.files += file.files;
        total.unparsableLines += file.unparsableLines;
        for (const auto& [cwdClass, count] : file.byClass)
            total.byClass[cwdClass] += count;
    }

    const AccountMoveInput& m_input;
    const ConversationRead& m_read;
    fs::path m_transcript;
    std::string m_newCwd;
    std::optional<IdentityRewriter::TextEditor> m_identity;
    JSONLRewriter::Result m_cwdRewrite;
};

void verify(const AccountMoveInput& input, const SessionCopier::CopyResult& copy, const SessionCopier::Layout& source,
            const fs::path& targetFolder, const ConversationRead& read, ReadBuffer& buffer)
{
    const auto sourceCount = static_cast<std::int64_t>(source.allFiles.size());
    if (copy.filesCopied != sourceCount)
        throw AccountMoveError::verificationFailed(std::to_string(copy.filesCopied) + " of "
                                                   + std::to_string(sourceCount) + " files reached the destination");
    const std::string expected = CwdCodec::encode(AccountMover::destinationCwd(input));
    const std::string folderName = targetFolder.filename().string();
    if (folderName != expected)
        throw AccountMoveError::verificationFailed("destination folder is " + folderName + ", expected " + expected);
    // Read back from the disk, each file once: what the copy holds, not what was meant to be written.
    IdentityRewriter::ValueSet copied;
    std::optional<std::string> launchCwd;
    const auto readBack = input.mode == MoveMode::fork ? IdentityRewriter::identityFiles(copy.destinationFiles)
                                                       : std::vector<fs::path>{copy.destinationTranscript};
    for (const auto& file : readBack) {
        if (!buffer.load(file))
            continue;
        if (input.mode == MoveMode::fork)
            IdentityRewriter::collectFromText(buffer.content(), copied);
        if (file == copy.destinationTranscript)
            launchCwd = TranscriptAnalyzer::launchCwd(buffer.content());
    }
    const auto shared = std::count_if(copied.begin(), copied.end(), [&](const std::string& value) {
        return value == input.sessionId || read.identities.contains(value);
    });
    if (shared > 0)
        throw AccountMoveError::verificationFailed("the fork still shares " + std::to_string(shared)
                                                   + " identity values with the original");
    if (!launchCwd)
        throw AccountMoveError::verificationFailed("the copied transcript records no cwd");
    if (CwdCodec::encode(*launchCwd) != expected)
        throw AccountMoveError::verificationFailed("the copied transcript records " + *launchCwd
                                                   + ", which does not encode to " + expected);
}

std::string scopeSummary(const AccountMovePreview& preview, const std::optional<TranscriptTrimmer::Result>& trim)
{
    if (!trim)
        return "full — " + std::to_string(preview.integrity.lines) + " lines, "
            + MoveLedger::fileSize(preview.totalBytes);
    std::string summary =
        "trimmed — kept " + std::to_string(trim->keptLines) + " lines, dropped " + std::to_string(trim->droppedLines);
    if (trim->boundaryMovedBy >= 1)
        summary += " (boundary moved back " + std::to_string(trim->boundaryMovedBy) + " lines to stay replayable)";
    return summary;
}

std::optional<std::string> emailOf(const ClaudeAccount& account)
{
    return account.identity ? std::optional(account.identity->emailAddress) : std::nullopt;
}

// The moves notes' entries, noted before the copy is placed so that the next start can still write
// them when the move was recorded but killed before it wrote them.
std::vector<PendingLedgerEntry> ledgerEntries(const AccountMoveInput& input, const AccountMovePreview& preview,
                                              const SessionCopier::CopyResult& copy, const std::string& newSessionId,
                                              const std::optional<TranscriptTrimmer::Result>& trim,
                                              const std::string& backupPath, const fs::path& sourceFolder,
                                              const fs::path& targetFolder)
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
        .cwdSummary =
            newCwd != input.launchCwd ? input.launchCwd + " → " + newCwd : "unchanged (" + input.launchCwd + ")",
        .fileSummary = files + " files (" + std::to_string(preview.subagentCount) + " subagent transcripts)",
        .verified = "yes — " + files + "/" + std::to_string(preview.fileCount) + " files",
        .backupPath = backupPath,
        .sourceWasLive = preview.sourceIsLive.has_value(),
    };
    std::vector<PendingLedgerEntry> entries{
        {sourceFolder, MoveLedger::render(entry), MoveLedger::noteSize(sourceFolder)}};
    entry.outgoing = false;
    entries.push_back({targetFolder, MoveLedger::render(entry), MoveLedger::noteSize(targetFolder)});
    return entries;
}

MigrationRecord recordOf(const AccountMoveInput& input, const SessionCopier::CopyResult& copy,
                         const std::string& newSessionId, const JSONLRewriter::Result& cwdRewrite,
                         const std::string& backupPath, const fs::path& targetFolder)
{
    return MigrationRecord{
        .id = Uuid::random(),
        .timestamp = std::chrono::system_clock::now(),
        .accountId = input.source.id,
        .oldCwd = input.launchCwd,
        .newCwd = AccountMover::destinationCwd(input),
        .oldFolder = input.sourceFolderName,
        .newFolder = targetFolder.filename().string(),
        .filesRewritten = cwdRewrite.files,
        .occurrencesReplaced = JSONLRewriter::inScopeTotal(cwdRewrite, JSONLRewriter::Scope::of(input.rewriteHistory)),
        .backupPath = backupPath,
        .dryRun = false,
        .success = true,
        .message = std::string(input.mode == MoveMode::clone ? "Clone" : "Fork") + " to " + input.target.id + ": "
            + std::to_string(copy.filesCopied) + " files, " + input.scope.label() + ".",
        .rewroteHistory = input.rewriteHistory,
        .occurrencesByClass = occurrencesByClassName(cwdRewrite.byClass),
        .targetAccountId = input.target.id,
        .moveMode = std::string(toString(input.mode)),
        .newSessionId = newSessionId != input.sessionId ? std::optional(newSessionId) : std::nullopt,
    };
}

// The refusals that need nothing read.
void refuseBeforeReading(const AccountMoveInput& input)
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
}

// Everything of the preview but the scan of the source folder, which the move does not need.
AccountMovePreview previewOf(const AccountMoveInput& input, const SessionCopier::Layout& layout,
                             const ConversationRead& read)
{
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
    preview.integrity = read.integrity;
    if (read.trimmed)
        preview.trim = read.trimmed->result;
    const auto files = static_cast<std::int64_t>(layout.allFiles.size());
    const auto transcripts = static_cast<std::int64_t>(layout.jsonlFiles().size());
    preview.fileCount = files;
    preview.subagentCount = std::max<std::int64_t>(transcripts, 1) - 1;
    preview.totalBytes = layout.totalBytes();
    preview.sourceIsLive = SessionLiveness::isLive(input.sessionId, input.source);
    return preview;
}

PendingOperation pendingNote(const Uuid& operation, const AccountMoveInput& input, const fs::path& target,
                             const std::string& backupPath, const StagedCopy& staged)
{
    return PendingOperation{
        .recordId = operation,
        .accountId = input.source.id,
        .oldCwd = input.launchCwd,
        .newCwd = AccountMover::destinationCwd(input),
        .oldFolder = input.sourceFolderName,
        .newFolder = target.filename().string(),
        .archive = backupPath,
        .projectsRoot = input.source.projectsDirURL(),
        .job = PendingAccountMove{.targetAccountId = input.target.id,
                                  .moveMode = std::string(toString(input.mode)),
                                  .staging = staged.folder(),
                                  .targetFolder = target,
                                  .createsTargetFolder = !FileMetadata::itemExists(target)},
    };
}

// The error of a failed copy, as the user's sentence: ours pass as they are, the system's are told
// with the step and what is left (the hidden folder the copy was made in is no place to name).
[[noreturn]] void throwAsOurs(const std::exception& error, const fs::path& target)
{
    if (dynamic_cast<const UserError*>(&error))
        throw;
    const auto* system = dynamic_cast<const std::system_error*>(&error);
    throw AccountMoveError::stepFailed("Copying the conversation into " + target.string()
                                       + " failed: " + (system ? system->code().message() : std::string(error.what()))
                                       + ". Nothing of it was left there.");
}

} // namespace

std::string AccountMover::destinationCwd(const AccountMoveInput& input)
{
    return input.newCwd && !input.newCwd->empty() ? *input.newCwd : input.launchCwd;
}

fs::path AccountMover::sourceFolder(const AccountMoveInput& input)
{
    return input.source.projectsDirURL() / input.sourceFolderName;
}

fs::path AccountMover::targetFolder(const AccountMoveInput& input)
{
    return input.target.projectsDirURL() / CwdCodec::encode(destinationCwd(input));
}

AccountMovePreview AccountMover::preview(const AccountMoveInput& input)
{
    refuseBeforeReading(input);
    const auto layout = SessionCopier::layout(input.sessionId, sourceFolder(input));
    AccountMovePreview preview = previewOf(input, layout, readConversation(layout, input.scope, false));
    preview.cwdScan = JSONLRewriter::scan(sourceFolder(input), input.launchCwd);
    return preview;
}

MigrationRecord AccountMover::move(const AccountMoveInput& input, std::string_view stamp)
{
    const AccountLock accounts({input.source.projectsDirURL(), input.target.projectsDirURL()});
    refuseBeforeReading(input);
    const fs::path source = sourceFolder(input);
    const fs::path target = targetFolder(input);
    const auto layout = SessionCopier::layout(input.sessionId, source);
    ConversationRead read = readConversation(layout, input.scope, true);
    const AccountMovePreview preview = previewOf(input, layout, read);
    refuse(input, preview);

    const Uuid operation = Uuid::random();
    const PendingOperations::Lock running(operation);
    const std::string backupPath = BackupArchiver::backup(source, stamp, operation).string();
    if (FileMetadata::itemExists(target)) {
        try {
            BackupArchiver::backup(target, std::string(stamp) + "-target", operation);
        } catch (const std::exception&) {
            // The target's own archive is a courtesy; the move goes on without it.
        }
    }

    const std::string newSessionId = input.mode == MoveMode::fork ? Uuid::random().lowerText() : input.sessionId;
    StagedCopy staged(target, newSessionId);
    staged.refuseCollision();
    PendingOperation note = pendingNote(operation, input, target, backupPath, staged);
    PendingOperations::write(note);
    OperationSteps::reached(OperationStep::noted);

    std::optional<IdentityRewriter::Plan> plan;
    if (input.mode == MoveMode::fork)
        plan = IdentityRewriter::planFor(read.identities, input.sessionId, newSessionId);
    CopyEdits edits(input, read, layout.transcript, plan);
    SessionCopier::CopyResult copy;
    try {
        // One write per file, with every edit already made; the verification reads it back.
        copy = SessionCopier::copy(layout, staged.folder(), newSessionId, std::ref(edits));
        // The source's text is written out now: its buffer reads the copy back.
        ReadBuffer readBack = std::move(read.texts[layout.transcript]);
        verify(input, copy, layout, target, read, readBack);
        OperationSteps::reached(OperationStep::copied);
        note.accountMove().placed = staged.placedFiles(copy);
        note.accountMove().ledgers = ledgerEntries(input, preview, copy, newSessionId,
                                                   read.trimmed ? std::optional(read.trimmed->result) : std::nullopt,
                                                   backupPath, source, target);
        PendingOperations::write(note);
        staged.place(copy);
    } catch (const std::exception& error) {
        // The staged copy goes with `staged`; nothing of it stands in the target folder.
        staged.discard();
        if (note.accountMove().createsTargetFolder) {
            std::error_code ignored;
            fs::remove(target, ignored); // only when still empty
        }
        PendingOperations::remove(note);
        throwAsOurs(error, target);
    }
    OperationSteps::reached(OperationStep::placed);

    MigrationRecord record = recordOf(input, copy, newSessionId, edits.cwdRewrite(), backupPath, target);
    record.id = note.recordId;
    MigrationAudit::append(record);
    OperationSteps::reached(OperationStep::recorded);
    // After the record: an interrupted move is taken back, and no moves note may tell of it then.
    for (const auto& ledger : note.accountMove().ledgers)
        MoveLedger::appendRendered(ledger.text, ledger.folder);
    staged.discard();
    PendingOperations::remove(note);
    return record;
}

} // namespace threadhop
