#include "CwdClassBreakdownPresenter.h"

#include <array>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

struct ClassText {
    const char16_t* title;
    const char16_t* explanation;
};

// In case order, as allCwdClasses lists them.
constexpr std::array<ClassText, 4> classTexts{{
    {u"Session working directory",
     u"The directory the session was launched in. Rewriting this is what makes --resume find the conversation."},
    {u"Drifted cwd (ran elsewhere)",
     u"A working directory outside the session's tree — a tool that really did run somewhere else. Never "
     u"rewritten."},
    {u"Recorded history (tool input/output)",
     u"Paths inside what tools were asked to do and what they returned. Rewriting these edits the record of what "
     u"happened."},
    {u"External state (file-history)",
     u"References into the account's file-history/, which stays behind. Never rewritten."},
}};

bool willBeRewritten(CwdClass cwdClass, bool rewriteHistory)
{
    return cwdClass == CwdClass::sessionCwd || (cwdClass == CwdClass::history && rewriteHistory);
}

} // namespace

std::vector<CwdClassBreakdownPresenter::Row>
CwdClassBreakdownPresenter::rows(const std::map<CwdClass, std::int64_t>& counts, bool rewriteHistory)
{
    std::vector<Row> result;
    for (const CwdClass cwdClass : allCwdClasses) {
        const auto found = counts.find(cwdClass);
        if (found == counts.end() || found->second < 1)
            continue;
        const bool rewritten = willBeRewritten(cwdClass, rewriteHistory);
        const ClassText& texts = classTexts.at(static_cast<std::size_t>(cwdClass));
        result.push_back({.cwdClass = cwdClass,
                          .rewritten = rewritten,
                          .symbol = rewritten ? Symbol::pencil : Symbol::lock,
                          .count = QString::number(found->second),
                          .title = QString::fromUtf16(texts.title),
                          .fate = rewritten ? u"rewritten"_s : u"left as recorded"_s,
                          .tooltip = QString::fromUtf16(texts.explanation)});
    }
    return result;
}

std::optional<QString> CwdClassBreakdownPresenter::unparsableNotice(std::int64_t unparsableLines)
{
    if (unparsableLines < 1)
        return std::nullopt;
    return QString::number(unparsableLines) + u" lines are not valid JSON and are passed through untouched."_s;
}

} // namespace threadhop
