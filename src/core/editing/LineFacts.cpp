#include "LineFacts.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define THREADHOP_X86_SIMD 1
#endif

namespace threadhop {
namespace {

constexpr std::string_view cwdKeyText = "\"cwd\"";

// Gathers the facts position by position, in increasing order.
class Facts final {
public:
    explicit Facts(std::string_view line, std::string_view directory) : m_line(line), m_directory(directory) { }

    void directoryCandidate(std::size_t at)
    {
        if (at < m_nextDirectoryStart || at + m_directory.size() > m_line.size()
            || std::memcmp(m_line.data() + at, m_directory.data(), m_directory.size()) != 0)
            return;
        ++m_facts.directoryCount;
        m_nextDirectoryStart = at + m_directory.size();
    }

    void cwdCandidate(std::size_t at)
    {
        if (m_line.substr(at).starts_with(cwdKeyText))
            m_facts.cwdKeyTexts = std::min(m_facts.cwdKeyTexts + 1, 2);
    }

    void escape() { m_facts.hasSpellingEscape = true; }

    // Every position from `from` on, one at a time.
    void scanFrom(std::size_t from)
    {
        for (std::size_t at = from; at < m_line.size(); ++at) {
            const char c = m_line[at];
            if (c == m_directory.front())
                directoryCandidate(at);
            if (c == '"')
                cwdCandidate(at);
            if (c == '\\' && at + 1 < m_line.size() && (m_line[at + 1] == '/' || m_line[at + 1] == 'u'))
                escape();
        }
    }

    const LineFacts& result() const { return m_facts; }

private:
    std::string_view m_line;
    std::string_view m_directory;
    LineFacts m_facts;
    std::size_t m_nextDirectoryStart = 0; // matches never overlap
};

#if defined(THREADHOP_X86_SIMD)
// All three facts from one pass of 32-byte blocks: each is a comparison of a few bytes at every
// position of the block at once, checked in full only where they all match. A block at `start`
// that overlaps positions already done has them masked off with `done`.
class WideScan final {
public:
    __attribute__((target("avx2"))) WideScan(std::string_view line, std::string_view directory, Facts& facts)
        : m_line(line), m_directory(directory), m_facts(facts)
    {
    }

    __attribute__((target("avx2"))) void run()
    {
        const std::size_t n = m_directory.size();
        // The last block whose every load stays inside the line, for all three facts, and for
        // the two short ones alone ("cwd" reaches four bytes further, an escape one).
        const std::size_t lastStart = m_line.size() - std::max<std::size_t>(n - 1, cwdKeyText.size() - 1) - 32;
        const std::size_t lastShortStart = m_line.size() - (cwdKeyText.size() - 1) - 32;
        std::size_t i = 0;
        for (; i < lastStart; i += 32)
            block(i, 0, true);
        block(lastStart, static_cast<unsigned>(i - lastStart), true);
        for (i = lastStart + 32; i < lastShortStart; i += 32)
            block(i, 0, false);
        block(lastShortStart, static_cast<unsigned>(i - lastShortStart), false);
        m_facts.scanFrom(lastShortStart + 32);
    }

private:
    __attribute__((target("avx2"), always_inline)) static __m256i load(const char* at)
    {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    }

    __attribute__((target("avx2"), always_inline)) static __m256i equal(__m256i bytes, char c)
    {
        return _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(c));
    }

    __attribute__((target("avx2"))) void block(std::size_t start, unsigned done, bool withDirectory)
    {
        if (done >= 32)
            return;
        const char* here = m_line.data() + start;
        const auto mask = [done](int bits) { return (~0u << done) & static_cast<unsigned>(bits); };
        const __m256i at0 = load(here);
        const __m256i at1 = load(here + 1);
        const __m256i at4 = load(here + 4);
        if (withDirectory) {
            const std::size_t n = m_directory.size();
            // A one-byte directory has no second byte to compare.
            const __m256i second = n > 1 ? equal(at1, m_directory[1]) : _mm256_cmpeq_epi8(at1, at1);
            for (unsigned bits =
                     mask(_mm256_movemask_epi8(_mm256_and_si256(_mm256_and_si256(equal(at0, m_directory[0]), second),
                                                                equal(load(here + n - 1), m_directory.back()))));
                 bits != 0; bits &= bits - 1)
                m_facts.directoryCandidate(start + static_cast<std::size_t>(__builtin_ctz(bits)));
        }
        for (unsigned bits = mask(_mm256_movemask_epi8(
                 _mm256_and_si256(_mm256_and_si256(equal(at0, '"'), equal(at1, 'c')), equal(at4, '"'))));
             bits != 0; bits &= bits - 1)
            m_facts.cwdCandidate(start + static_cast<std::size_t>(__builtin_ctz(bits)));
        if (mask(_mm256_movemask_epi8(
                _mm256_and_si256(equal(at0, '\\'), _mm256_or_si256(equal(at1, '/'), equal(at1, 'u')))))
            != 0)
            m_facts.escape();
    }

    std::string_view m_line;
    std::string_view m_directory;
    Facts& m_facts;
};

const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

} // namespace

LineFacts LineFacts::of(std::string_view line, std::string_view directory)
{
    Facts facts(line, directory);
#if defined(THREADHOP_X86_SIMD)
    if (hasAvx2 && line.size() >= std::max<std::size_t>(directory.size() - 1, cwdKeyText.size() - 1) + 32) {
        WideScan(line, directory, facts).run();
        return facts.result();
    }
#endif
    facts.scanFrom(0);
    return facts.result();
}

} // namespace threadhop
