#include "JSONFieldEditor.h"

#include "core/util/text/UnicodeText.h"

#include <algorithm>
#include <cstring>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#if defined(__x86_64__)
#include <immintrin.h>
#define THREADHOP_X86_SIMD 1
#endif

namespace threadhop {
namespace {

// A quote or a backslash fused with a following combining mark is neither.
bool isQuoteAt(std::string_view line, std::size_t i)
{
    return line[i] == '"' && UnicodeText::asciiStandsAlone(line, i);
}

bool isBackslashAt(std::string_view line, std::size_t i)
{
    return line[i] == '\\' && UnicodeText::asciiStandsAlone(line, i);
}

// Index of the first character at or after `i` that is not white space (any Unicode white space).
std::size_t skipWhitespace(std::string_view line, std::size_t i)
{
    while (i < line.size()) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte < 0x80) {
            if (byte != ' ' && (byte < '\t' || byte > '\r'))
                return i;
            ++i;
            continue;
        }
        int32_t next = static_cast<int32_t>(i);
        UChar32 c = 0;
        U8_NEXT(reinterpret_cast<const uint8_t*>(line.data()), next, static_cast<int32_t>(line.size()), c);
        if (c < 0 || !u_isUWhiteSpace(c))
            return i;
        i = static_cast<std::size_t>(next);
    }
    return i;
}

// Where the key that starts after the quote at `open` ends (its closing quote), or npos when a
// backslash or the end of the line comes first, or the key is longer than any wanted key.
std::size_t keyEnd(std::string_view line, std::size_t open, std::size_t longestKey)
{
    const std::size_t limit = std::min(line.size(), open + 2 + longestKey);
    for (std::size_t i = open + 1; i < limit; ++i) {
        if (line[i] == '"' || line[i] == '\\') {
            if (isQuoteAt(line, i))
                return i;
            if (isBackslashAt(line, i))
                return std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

std::size_t find(std::string_view line, char wanted, std::size_t from)
{
    if (from >= line.size())
        return line.size();
    const void* found = std::memchr(line.data() + from, wanted, line.size() - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - line.data()) : line.size();
}

// The closing quote of the string value whose opening quote is at `open`, or npos when the
// line ends first. A backslash skips itself and the character after it.
std::size_t valueEnd(std::string_view line, std::size_t open)
{
    std::size_t i = open + 1;
    std::size_t quote = find(line, '"', i);
    std::size_t backslash = find(line, '\\', i);
    while (quote < line.size()) {
        if (backslash < quote) {
            i = isBackslashAt(line, backslash) ? backslash + 2 : backslash + 1;
            backslash = find(line, '\\', i);
            if (quote < i)
                quote = find(line, '"', i);
            continue;
        }
        if (isQuoteAt(line, quote))
            return quote;
        i = quote + 1;
        quote = find(line, '"', i);
    }
    return std::string_view::npos;
}

std::size_t nextCandidateScalar(std::string_view line, std::size_t from, std::string_view firstBytes)
{
    for (std::size_t at = from; at + 1 < line.size(); ++at) {
        if (line[at] == '"' && firstBytes.find(line[at + 1]) != std::string_view::npos)
            return at;
    }
    return std::string_view::npos;
}

#if defined(THREADHOP_X86_SIMD)
// Tests 32 positions at once for a quote followed by one of the keys' first bytes: lines are
// full of quotes, and nearly all of them open no wanted key.
__attribute__((target("avx2"))) std::size_t nextCandidateWide(std::string_view line, std::size_t from,
                                                              std::string_view firstBytes)
{
    const __m256i quote = _mm256_set1_epi8('"');
    std::size_t at = from;
    for (; at + 1 + 32 <= line.size(); at += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(line.data() + at));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(line.data() + at + 1));
        __m256i opensKey = _mm256_setzero_si256();
        for (const char first : firstBytes)
            opensKey = _mm256_or_si256(opensKey, _mm256_cmpeq_epi8(next, _mm256_set1_epi8(first)));
        const auto mask =
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(here, quote), opensKey)));
        if (mask != 0)
            return at + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return nextCandidateScalar(line, at, firstBytes);
}

const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

// The next quote at or after `from` that a key's first byte follows.
std::size_t nextKeyCandidate(std::string_view line, std::size_t from, std::string_view firstBytes)
{
#if defined(THREADHOP_X86_SIMD)
    if (hasAvx2)
        return nextCandidateWide(line, from, firstBytes);
#endif
    return nextCandidateScalar(line, from, firstBytes);
}

} // namespace

JSONFieldEditor::KeySet::KeySet(std::initializer_list<std::string_view> keys)
{
    for (const auto key : keys)
        add(key);
}

JSONFieldEditor::KeySet::KeySet(const std::vector<std::string>& keys)
{
    for (const auto& key : keys)
        add(key);
}

void JSONFieldEditor::KeySet::add(std::string_view key)
{
    if (key.empty() || contains(key))
        return;
    m_keys.emplace_back(key);
    m_longest = std::max(m_longest, key.size());
    if (m_firstBytes.find(key.front()) == std::string::npos)
        m_firstBytes += key.front();
}

bool JSONFieldEditor::KeySet::contains(std::string_view key) const
{
    return std::find(m_keys.begin(), m_keys.end(), key) != m_keys.end();
}

void JSONFieldEditor::appendReplacingStringFields(std::string_view line, const KeySet& keys, const Transform& transform,
                                                  std::string& out)
{
    std::size_t copied = 0; // line[copied, i) is still to be copied
    std::size_t i = 0;
    while (!keys.empty() && i < line.size()) {
        // A quote followed by anything but a key's first byte is a miss: only the others are looked at.
        const std::size_t open = nextKeyCandidate(line, i, keys.firstBytes());
        if (open == std::string_view::npos)
            break;
        i = open + 1; // a miss advances past this quote
        if (!isQuoteAt(line, open))
            continue;
        if (open > 0 && isBackslashAt(line, open - 1))
            continue; // an escaped quote
        const std::size_t close = keyEnd(line, open, keys.longestKey());
        if (close == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(open + 1, close - open - 1);
        if (!keys.contains(key))
            continue;
        const std::size_t colon = skipWhitespace(line, close + 1);
        if (colon >= line.size() || line[colon] != ':')
            continue;
        const std::size_t valueOpen = skipWhitespace(line, colon + 1);
        if (valueOpen >= line.size() || !isQuoteAt(line, valueOpen))
            continue;
        const std::size_t valueClose = valueEnd(line, valueOpen);
        if (valueClose == std::string_view::npos)
            continue;
        // The closing quote is examined again like any other quote.
        i = valueClose;
        if (!transform)
            continue;
        auto replacement = transform(key, line.substr(valueOpen + 1, valueClose - valueOpen - 1));
        if (!replacement)
            continue;
        out.append(line.substr(copied, valueOpen + 1 - copied));
        out.append(*replacement);
        copied = valueClose;
    }
    out.append(line.substr(copied));
}

std::string JSONFieldEditor::replaceStringFields(std::string_view in, const KeySet& keys, const Transform& transform)
{
    std::string out;
    out.reserve(in.size());
    appendReplacingStringFields(in, keys, transform, out);
    return out;
}

} // namespace threadhop
