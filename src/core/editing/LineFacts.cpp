#include "LineFacts.h"

namespace threadhop {

bool lineFacts::hasAvx2()
{
#if defined(THREADHOP_LINE_FACTS_AVX2)
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

LineFacts LineFacts::of(std::string_view line, std::string_view directory)
{
    // Nothing that is counted spans a line feed, so the pieces' facts add up to the line's.
    LineFacts facts;
    forEachLineFeedPieceWithFacts(line, directory, [&](std::string_view, const LineFacts& piece, bool) {
        facts.directoryCount += piece.directoryCount;
        facts.cwdKeyTexts = std::min(facts.cwdKeyTexts + piece.cwdKeyTexts, 2);
        facts.hasSpellingEscape = facts.hasSpellingEscape || piece.hasSpellingEscape;
    });
    return facts;
}

} // namespace threadhop
