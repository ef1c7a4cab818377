#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#if defined(__x86_64__)
#include <immintrin.h>
#define THREADHOP_LINE_FACTS_AVX2 1
#endif

namespace threadhop {

/// What one pass over a transcript line's text tells before it is parsed.
struct LineFacts {
    std::int64_t directoryCount = 0; ///< non-overlapping occurrences of the directory's text
    int cwdKeyTexts = 0;             ///< occurrences of "cwd" with its quotes, counted up to 2
    bool hasSpellingEscape = false;  ///< a "\/" or "\u" escape, which could spell the directory in a value

    bool operator==(const LineFacts&) const = default;

    /// One pass over `line` for `directory` (its text as it stands in a line; not empty).
    static LineFacts of(std::string_view line, std::string_view directory);
};

namespace lineFacts {

// Gathers the facts of the piece being read, position by position in increasing order. A
// position is looked at when its byte may start something: a line feed, the directory's first
// byte, the c of "cwd", a backslash.
class Gatherer final {
public:
    Gatherer(std::string_view text, std::string_view directory) : m_text(text), m_directory(directory) { }

    static bool mayStart(char c, char directoryStart)
    {
        return c == '\n' || c == directoryStart || c == 'c' || c == '\\';
    }

    // Looks at `at`, a position that may start something; calls `visit` when it ends a piece.
    template <typename Visit>
    void look(std::size_t at, Visit& visit)
    {
        const char c = m_text[at];
        if (c == '\n') {
            visit(m_text.substr(m_pieceStart, at - m_pieceStart), m_facts, false);
            m_facts = {};
            m_pieceStart = at + 1;
            return;
        }
        const std::size_t n = m_directory.size();
        if (c == m_directory.front() && at >= m_nextDirectoryStart && n <= m_text.size() - at
            && m_text[at + n - 1] == m_directory.back() && m_text.substr(at, n) == m_directory) {
            ++m_facts.directoryCount;
            m_nextDirectoryStart = at + n; // matches never overlap
        }
        if (c == 'c' && at > 0 && m_text[at - 1] == '"' && m_text.substr(at).starts_with("cwd\""))
            m_facts.cwdKeyTexts = std::min(m_facts.cwdKeyTexts + 1, 2);
        if (c == '\\' && at + 1 < m_text.size() && (m_text[at + 1] == '/' || m_text[at + 1] == 'u'))
            m_facts.hasSpellingEscape = true;
    }

    template <typename Visit>
    void finish(Visit& visit)
    {
        visit(m_text.substr(m_pieceStart), m_facts, true);
    }

    template <typename Visit>
    void byteByByte(std::size_t from, Visit& visit)
    {
        for (std::size_t i = from; i < m_text.size(); ++i) {
            if (mayStart(m_text[i], m_directory.front()))
                look(i, visit);
        }
    }

private:
    std::string_view m_text;
    std::string_view m_directory;
    std::size_t m_pieceStart = 0;
    std::size_t m_nextDirectoryStart = 0;
    LineFacts m_facts;
};

bool hasAvx2();

#if defined(THREADHOP_LINE_FACTS_AVX2)
// 32 positions at a time, each compared with the first byte, and the byte after with the second,
// of everything that is counted; a position is looked at one by one only where a pair matches.
template <typename Visit>
__attribute__((target("avx2"))) void wide(std::string_view text, std::string_view directory, Visit& visit)
{
    Gatherer gatherer(text, directory);
    const __m256i lineFeed = _mm256_set1_epi8('\n');
    const __m256i directoryFirst = _mm256_set1_epi8(directory.front());
    const __m256i directorySecond = _mm256_set1_epi8(directory.size() > 1 ? directory[1] : 0);
    const __m256i oneByteDirectory = directory.size() > 1 ? _mm256_setzero_si256() : _mm256_set1_epi8(-1);
    const __m256i c = _mm256_set1_epi8('c');
    const __m256i w = _mm256_set1_epi8('w');
    const __m256i backslash = _mm256_set1_epi8('\\');
    const __m256i u = _mm256_set1_epi8('u');
    const __m256i slash = _mm256_set1_epi8('/');
    std::size_t i = 0;
    for (; i + 33 <= text.size(); i += 32) { // the second load reads up to i + 32
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text.data() + i));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text.data() + i + 1));
        const __m256i directoryPair =
            _mm256_and_si256(_mm256_cmpeq_epi8(here, directoryFirst),
                             _mm256_or_si256(_mm256_cmpeq_epi8(next, directorySecond), oneByteDirectory));
        const __m256i cwd = _mm256_and_si256(_mm256_cmpeq_epi8(here, c), _mm256_cmpeq_epi8(next, w));
        const __m256i escape =
            _mm256_and_si256(_mm256_cmpeq_epi8(here, backslash),
                             _mm256_or_si256(_mm256_cmpeq_epi8(next, u), _mm256_cmpeq_epi8(next, slash)));
        const __m256i any = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(here, lineFeed), directoryPair),
                                            _mm256_or_si256(cwd, escape));
        for (auto bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(any)); bits != 0; bits &= bits - 1)
            gatherer.look(i + static_cast<std::size_t>(__builtin_ctz(bits)), visit);
    }
    gatherer.byteByByte(i, visit);
    gatherer.finish(visit);
}
#endif

} // namespace lineFacts

/// Calls `visit(piece, facts, last)` for every piece of `text` between line feeds, as
/// forEachLineFeedPiece gives them (`last` marks the piece after the last line feed), with its
/// facts for `directory` (its text as it stands in a line; not empty). One pass over the whole
/// text: a pass per line costs more than the line split it would follow.
template <typename Visit>
void forEachLineFeedPieceWithFacts(std::string_view text, std::string_view directory, Visit visit)
{
#if defined(THREADHOP_LINE_FACTS_AVX2)
    if (lineFacts::hasAvx2()) {
        lineFacts::wide(text, directory, visit);
        return;
    }
#endif
    lineFacts::Gatherer gatherer(text, directory);
    gatherer.byteByByte(0, visit);
    gatherer.finish(visit);
}

} // namespace threadhop
