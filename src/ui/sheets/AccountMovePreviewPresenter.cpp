#include "AccountMovePreviewPresenter.h"

#include "theme/Theme.h"
#include "ui/widgets/Fmt.h"
#include "ui/widgets/QtText.h"

#include <QPalette>

using namespace Qt::StringLiterals;

namespace threadhop {

AccountMovePreviewPresenter::Cost AccountMovePreviewPresenter::cost(const AccountMovePreview& preview,
                                                                    const std::optional<ClaudeAccount>& target)
{
    return {.estimate = u"Resuming re-sends about **"_s + Fmt::tokens(preview.estimatedResumeTokens()) + u" tokens** "_s
                + u"on "_s + (target ? toQString(target->id) : u"the destination"_s),
            .basis = preview.integrity.lastContextTokens
                ? u"Measured from the conversation's own last context size."_s
                : u"Estimated from file size — this transcript records no usage data."_s,
            .cacheNote = u"The prompt cache does not cross accounts, so the context is charged again in full there. "
                         u"Nothing here is capped: the choice is yours."_s};
}

QString AccountMovePreviewPresenter::modeSection(MoveMode mode)
{
    if (mode == MoveMode::fork)
        return u"Rewrites the identity chain, so the copy is a new conversation with the same content and no "
               u"duplicate id anywhere."_s;
    return u"Keeps the same session id. The conversation becomes resumable from both accounts — and the id then "
           u"exists twice, so any index keyed on it counts it twice."_s;
}

std::vector<AccountMovePreviewPresenter::Warning>
AccountMovePreviewPresenter::warnings(const AccountMovePreview& preview, const ClaudeAccount& source,
                                      const QPalette& palette)
{
    const QColor secondary = Theme::secondaryText(palette);
    const TranscriptIntegrity& integrity = preview.integrity;
    std::vector<Warning> shown;
    shown.push_back({1,
                     Symbol::docOnDoc,
                     u"%1 files — 1 transcript + %2 subagent transcripts and their sidecars"_s.arg(preview.fileCount)
                         .arg(preview.subagentCount),
                     std::nullopt,
                     {}});
    if (preview.sourceIsLive)
        shown.push_back(
            {2,
             Symbol::boltHorizontalCircleFill,
             u"This session is running right now (pid %1). You are copying a "_s.arg(preview.sourceIsLive->pid)
                 + u"snapshot; from here the two diverge."_s,
             Theme::warn(),
             {}});
    if (const auto drifted = integrity.driftedOutOfTree(); !drifted.empty()) {
        QStringList directories;
        for (const auto& directory : drifted)
            directories.append(toQString(directory));
        shown.push_back({3, Symbol::arrowTriangleBranch,
                         u"%1 recorded working directories lie outside this project "_s.arg(drifted.size())
                             + u"and are never rewritten."_s,
                         secondary, directories.join(u'\n')});
    }
    if (!integrity.unansweredAtTail.empty())
        shown.push_back(
            {4,
             Symbol::hourglass,
             u"A tool call is in flight at the end of the transcript — normal for a live session, and not a "
             u"problem."_s,
             secondary,
             {}});
    if (!integrity.unansweredInMiddle.empty())
        shown.push_back({5,
                         Symbol::exclamationmarkTriangleFill,
                         u"%1 tool calls were never answered and "_s.arg(integrity.unansweredInMiddle.size())
                             + u"have content after them. Trim to a complete exchange first."_s,
                         Theme::broken(),
                         {}});
    if (preview.collision)
        shown.push_back({6,
                         Symbol::exclamationmarkOctagonFill,
                         u"The destination already holds this conversation."_s,
                         Theme::broken(),
                         {}});
    shown.push_back({7,
                     Symbol::trayAndArrowDown,
                     u"Staying behind in "_s + toQString(source.id)
                         + u": file-history, todos, plans and shell snapshots. "_s + u"Undo history does not travel."_s,
                     secondary,
                     {}});
    return shown;
}

} // namespace threadhop
