#include "JSONLRewriter.h"

#include "CwdClassifier.h"
#include "JSONFieldEditor.h"
#include "LineFacts.h"
#include "core/util/format/JSONParser.h"
#include "core/util/format/JSONWriter.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/DirectoryListing.h"
#include "core/util/fs/FileDescriptor.h"
#include "core/util/fs/ReadBuffer.h"
#include "core/util/text/PathText.h"
#include "core/util/text/TextSearch.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <fcntl.h>
#include <simdjson.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace threadhop {
namespace {

using Counts = std::array<std::int64_t, allCwdClasses.size()>;
using KeyPath = CwdClassifier::KeyPath;

constexpr int rewriteAttempts = 3;

bool needsJsonEscape(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; });
}

// The old and new directories in the forms each step compares: parsed values are plain text,
// line text holds the JSON-escaped form.
struct Directories {
    explicit Directories(std::string_view oldCwd, std::string_view newCwd = {}, std::string_view excludedCwd = {})
        : old(oldCwd),
          excluded(excludedCwd),
          oldInText(JSONWriter::escaped(oldCwd)),
          newInText(JSONWriter::escaped(newCwd)),
          oldNeedsEscape(needsJsonEscape(oldCwd))
    {
    }

    std::string_view old;
    std::string_view excluded; // occurrences at or below it are not counted
    std::string oldInText;
    std::string newInText;
    bool oldNeedsEscape;
};

// The right-hand boundary of a path occurrence ending at `end`: the end of the text, "/", or a
// character that is neither a letter, a digit, "-", "_" nor ".".
bool endsAPath(std::string_view text, std::size_t end)
{
    if (end == text.size() || text[end] == '/')
        return true;
    const auto next = static_cast<unsigned char>(text[end]);
    if (next == '-' || next == '_' || next == '.')
        return false;
    int32_t offset = static_cast<int32_t>(end);
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), offset, static_cast<int32_t>(text.size()), c);
    return c < 0 || !(u_isalpha(c) || u_isdigit(c));
}

// Whether the occurrence at [at, end) lies inside an occurrence of `outer` that ends a path.
bool insideOccurrenceOf(std::string_view text, std::size_t at, std::size_t end, std::string_view outer)
{
    std::size_t from = end > outer.size() ? end - outer.size() : 0;
    for (std::size_t q; (q = TextSearch::find(text, outer, from)) != std::string_view::npos && q <= at; from = q + 1) {
        if (q + outer.size() >= end && endsAPath(text, q + outer.size()))
            return true;
    }
    return false;
}

// The occurrences of `of` in `in`: every match, and the bounded count of them, leaving out those
// inside an occurrence of `excluded` (when given).
struct Occurrences {
    std::int64_t matches = 0;
    std::int64_t bounded = 0;
};

Occurrences occurrencesOutside(std::string_view of, std::string_view in, std::string_view excluded)
{
    Occurrences found;
    if (of.empty())
        return found;
    std::size_t from = 0;
    for (std::size_t at; (at = TextSearch::find(in, of, from)) != std::string_view::npos;) {
        const std::size_t end = at + of.size();
        from = end;
        ++found.matches;
        if (endsAPath(in, end) && (excluded.empty() || !insideOccurrenceOf(in, at, end, excluded)))
            ++found.bounded;
    }
    return found;
}

// Which strings of a line a walk looks at: the values of "cwd" members, or all the others.
enum class Strings { cwdValues, others };

// Emits the classes of the strings of a parsed line (the walk of the scan), in two passes: the
// "cwd" values, then the other strings, only as far as they may still hold the old directory.
class LineWalker final {
public:
    /// With `matchesLeft`, the walk ends once it has met that many matches of the old directory:
    /// the line's text holds no more, and no escape spells one.
    LineWalker(const Directories& directories, Strings strings, Counts& counts,
               std::optional<std::int64_t> matchesLeft = std::nullopt)
        : m_directories(directories), m_strings(strings), m_counts(counts), m_matchesLeft(matchesLeft)
    {
    }

    void walkObject(simdjson::dom::object object, const KeyPath& path)
    {
        for (const auto field : object) {
            if (finished())
                return;
            walk(field.value, path.member(field.key));
        }
    }

    void walk(simdjson::dom::element value, const KeyPath& path)
    {
        switch (value.type()) {
        case simdjson::dom::element_type::OBJECT:
            walkObject(value.get_object().value_unsafe(), path);
            break;
        case simdjson::dom::element_type::ARRAY: {
            const simdjson::dom::array elements = value.get_array().value_unsafe();
            for (const auto element : elements) {
                if (finished())
                    return;
                walk(element, path.element());
            }
            break;
        }
        case simdjson::dom::element_type::STRING:
            visitString(value.get_string().value_unsafe(), path);
            break;
        default:
            break;
        }
    }

    // Matches of the old directory in the strings walked, bounded or not.
    std::int64_t matches() const { return m_matches; }

private:
    bool finished() const { return m_matchesLeft && m_matches >= *m_matchesLeft; }

    void emit(CwdClass cwdClass, std::int64_t count) { m_counts[static_cast<std::size_t>(cwdClass)] += count; }

    void visitString(std::string_view text, const KeyPath& path)
    {
        const bool cwdValue = !path.empty && path.endsInCwd;
        if (cwdValue != (m_strings == Strings::cwdValues))
            return;
        const std::string_view old = m_directories.old;
        if (cwdValue) {
            // Most values are the old directory itself, which holds itself once.
            m_matches += text == old ? 1 : TextSearch::count(text, old);
            if (!m_directories.excluded.empty() && PathText::isAtOrBelow(text, m_directories.excluded))
                return;
            if (PathText::isAtOrBelow(text, old))
                emit(CwdClass::sessionCwd, 1);
            else if (text.find('/') != std::string_view::npos)
                emit(CwdClass::driftedCwd, 1);
            return;
        }
        if (text.size() < old.size())
            return;
        const auto found = occurrencesOutside(old, text, m_directories.excluded);
        m_matches += found.matches;
        if (found.bounded > 0)
            emit(CwdClassifier::classify(path, text, old), found.bounded);
    }

    const Directories& m_directories;
    Strings m_strings;
    Counts& m_counts;
    std::optional<std::int64_t> m_matchesLeft;
    std::int64_t m_matches = 0;
};

// Parses and classifies lines, reusing one parser from line to line and file to file.
class LineClassifier final {
public:
    explicit LineClassifier(const Directories& directories) : m_directories(directories) { }

    // Calls `visit(piece, facts, last)` for the pieces of a transcript's text; the old directory is not empty.
    template <typename Visit>
    void forEachPiece(std::string_view text, Visit visit) const
    {
        forEachLineFeedPieceWithFacts(text, m_directories.oldInText, visit);
    }

    // Whether the scan looks at the line at all: it holds the old directory or a "cwd" key.
    static bool isCandidate(const LineFacts& facts) { return facts.directoryCount > 0 || facts.cwdKeyTexts > 0; }

    // Parses a candidate line that lies in a padded buffer; absent when it is not a JSON object.
    std::optional<simdjson::dom::object> parse(std::string_view line)
    {
        simdjson::dom::object object;
        if (m_parser.parse(line, true).get_object().get(object) != simdjson::SUCCESS)
            return std::nullopt;
        return object;
    }

    void count(simdjson::dom::object object, const LineFacts& facts, Counts& counts) const
    {
        LineWalker cwdValues(m_directories, Strings::cwdValues, counts);
        simdjson::dom::element topLevelCwd;
        // Most lines: the top-level "cwd" is the line's only one, and no escape can hide another.
        if (!m_directories.oldNeedsEscape && !facts.hasSpellingEscape && facts.cwdKeyTexts == 1
            && object.at_key("cwd").get(topLevelCwd) == simdjson::SUCCESS)
            cwdValues.walk(topLevelCwd, KeyPath{}.member("cwd"));
        else
            cwdValues.walkObject(object, KeyPath{});
        // Without an escape, every match in a value stands in the line's text as it is: the other
        // strings hold at most the matches the text has beyond the "cwd" values' (most lines: none).
        if (m_directories.oldNeedsEscape || facts.hasSpellingEscape)
            LineWalker(m_directories, Strings::others, counts).walkObject(object, KeyPath{});
        else if (const std::int64_t left = facts.directoryCount - cwdValues.matches(); left > 0)
            LineWalker(m_directories, Strings::others, counts, left).walkObject(object, KeyPath{});
    }

private:
    const Directories& m_directories;
    JSONParser m_parser;
};

// Replaces every occurrence of the old directory that a quote or a "/" follows, in one pass,
// so a new directory below the old one is never rewritten twice. True when anything was replaced.
bool replaceHistoryOccurrences(std::string_view line, const Directories& directories, std::string& out)
{
    const std::string_view old = directories.oldInText;
    bool replaced = false;
    std::size_t copied = 0;
    std::size_t from = 0;
    for (std::size_t at; (at = TextSearch::find(line, old, from)) != std::string_view::npos;) {
        const std::size_t end = at + old.size();
        from = end;
        if (end >= line.size() || (line[end] != '"' && line[end] != '/'))
            continue;
        out.append(line.substr(copied, at - copied));
        out.append(directories.newInText);
        copied = end;
        replaced = true;
    }
    out.append(line.substr(copied));
    return replaced;
}

const JSONFieldEditor::KeySet cwdKey{"cwd"};

bool appendReplacingCwdFields(std::string_view line, const Directories& directories, std::string& out)
{
    bool replaced = false;
    std::string replacement;
    JSONFieldEditor::appendReplacingStringFields(
        line, cwdKey,
        [&](std::string_view, std::string_view raw) -> std::optional<std::string_view> {
            if (!PathText::isAtOrBelow(raw, directories.oldInText))
                return std::nullopt;
            replaced = true;
            replacement.assign(directories.newInText).append(raw.substr(directories.oldInText.size()));
            return replacement;
        },
        out);
    return replaced;
}

// Steps 3 to 6 of the line rewrite, for a line that contains the old directory and parsed to
// `object`. True when anything was replaced.
bool appendRewrittenObjectLine(std::string_view line, const simdjson::dom::object& object,
                               const Directories& directories, const JSONLRewriter::Scope& scope, std::string& out)
{
    if (CwdClassifier::isExternalStateLine(object)) {
        out.append(line);
        return false;
    }
    if (scope.contains(CwdClass::history))
        return replaceHistoryOccurrences(line, directories, out);
    if (scope.contains(CwdClass::sessionCwd))
        return appendReplacingCwdFields(line, directories, out);
    out.append(line);
    return false;
}

void addCounts(const Counts& counts, JSONLRewriter::Result& result)
{
    for (const CwdClass cwdClass : allCwdClasses) {
        if (const auto count = counts[static_cast<std::size_t>(cwdClass)]; count > 0)
            result.byClass[cwdClass] += count;
    }
}

bool anyCount(const Counts& counts)
{
    return std::any_of(counts.begin(), counts.end(), [](std::int64_t count) { return count > 0; });
}

// What rewriting one transcript's text found, and whether its text changed.
struct TextOutcome {
    Counts counts{};
    std::int64_t unparsable = 0;
    bool changed = false;
};

// Rewrites `text`, which lies in a padded buffer, line by line into `out`: empty pieces, line
// feeds and every line that needs no change stay as they are.
TextOutcome rewriteText(std::string_view text, LineClassifier& classifier, const Directories& directories,
                        const JSONLRewriter::Scope& scope, std::string& out)
{
    out.clear();
    out.reserve(text.size() + text.size() / 8);
    TextOutcome outcome;
    classifier.forEachPiece(text, [&](std::string_view line, const LineFacts& facts, bool last) {
        const std::size_t lineStart = out.size();
        bool replaced = false;
        if (LineClassifier::isCandidate(facts)) {
            if (const auto object = classifier.parse(line)) {
                classifier.count(*object, facts, outcome.counts);
                if (facts.directoryCount > 0)
                    replaced = appendRewrittenObjectLine(line, *object, directories, scope, out);
                else
                    out.append(line);
            } else {
                ++outcome.unparsable;
                out.append(line);
            }
        } else {
            out.append(line);
        }
        if (replaced && std::string_view(out).substr(lineStart) != line)
            outcome.changed = true;
        if (!last)
            out.push_back('\n');
    });
    return outcome;
}

// Loads a transcript with the stamp of what was read (taken before reading, so an append that
// races the read makes the stamp stale and the replacement refuse).
std::optional<FileMetadata> loadTranscriptForRewrite(ReadBuffer& buffer, const std::filesystem::path& file)
{
    const FileDescriptor descriptor(file, O_RDONLY);
    if (!descriptor.isOpen())
        return std::nullopt;
    const auto stamp = FileMetadata::ofOpenFile(descriptor.get());
    if (!stamp || !buffer.loadOpenFile(descriptor.get()))
        return std::nullopt;
    return stamp;
}

} // namespace

JSONLRewriter::TranscriptBusyError::TranscriptBusyError(const std::filesystem::path& transcript)
    : UserError("The conversation " + transcript.string()
                    + " kept changing while it was being rewritten; Claude Code may still be writing to it. "
                      "Close that conversation and try again.",
                transcript.string())
{
}

JSONLRewriter::Scope::Scope(const std::set<CwdClass>& classes)
{
    for (const CwdClass cwdClass : {CwdClass::sessionCwd, CwdClass::history}) {
        if (classes.contains(cwdClass))
            m_classes.insert(cwdClass);
    }
}

const JSONLRewriter::Scope JSONLRewriter::Scope::sessionOnly{{CwdClass::sessionCwd}};
const JSONLRewriter::Scope JSONLRewriter::Scope::withHistory{{CwdClass::sessionCwd, CwdClass::history}};

std::int64_t JSONLRewriter::inScopeTotal(const Result& result, const Scope& scope)
{
    std::int64_t total = 0;
    for (const CwdClass cwdClass : scope.classes()) {
        if (const auto it = result.byClass.find(cwdClass); it != result.byClass.end())
            total += it->second;
    }
    return total;
}

std::vector<std::filesystem::path> JSONLRewriter::jsonlFiles(const std::filesystem::path& in)
{
    std::vector<std::filesystem::path> files;
    for (auto& found : DirectoryListing::findFiles(in, ".jsonl"))
        files.push_back(std::move(found.path));
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.native() < b.native(); });
    return files;
}

std::int64_t JSONLRewriter::countPathOccurrences(std::string_view of, std::string_view in)
{
    return occurrencesOutside(of, in, {}).bounded;
}

JSONLRewriter::LineCounts JSONLRewriter::classifyLine(std::string_view line, std::string_view oldCwd)
{
    const Directories directories(oldCwd);
    LineClassifier classifier(directories);
    LineCounts result;
    const LineFacts facts = oldCwd.empty() ? LineFacts{} : LineFacts::of(line, directories.oldInText);
    if (!LineClassifier::isCandidate(facts))
        return result;
    const simdjson::padded_string padded(line);
    const auto object = classifier.parse(padded);
    if (!object) {
        result.unparsable = true;
        return result;
    }
    Counts counts{};
    classifier.count(*object, facts, counts);
    for (const CwdClass cwdClass : allCwdClasses) {
        if (const auto count = counts[static_cast<std::size_t>(cwdClass)]; count > 0)
            result.byClass[cwdClass] = count;
    }
    return result;
}

JSONLRewriter::Result JSONLRewriter::scan(const std::filesystem::path& in, std::string_view oldCwd,
                                          std::string_view excluding)
{
    Result result;
    if (oldCwd.empty())
        return result;
    const Directories directories(oldCwd, {}, excluding);
    LineClassifier classifier(directories);
    ReadBuffer buffer;
    for (const auto& file : jsonlFiles(in)) {
        // Bytes, not text: a line that is not UTF-8 is one unparsable line, not a reason to skip the file.
        if (!buffer.load(file))
            continue;
        Counts counts{};
        classifier.forEachPiece(buffer.content(), [&](std::string_view line, const LineFacts& facts, bool) {
            if (!LineClassifier::isCandidate(facts))
                return;
            if (const auto object = classifier.parse(line))
                classifier.count(*object, facts, counts);
            else
                ++result.unparsableLines;
        });
        addCounts(counts, result);
        if (anyCount(counts))
            ++result.files;
    }
    return result;
}

std::string JSONLRewriter::rewriteLine(std::string_view line, std::string_view oldCwd, std::string_view newCwd,
                                       const Scope& scope)
{
    const Directories directories(oldCwd, newCwd);
    if (!TextSearch::contains(line, directories.oldInText))
        return std::string(line);
    JSONParser parser;
    simdjson::dom::object object;
    if (parser.parse(line).get_object().get(object) != simdjson::SUCCESS)
        return std::string(line);
    std::string out;
    out.reserve(line.size());
    appendRewrittenObjectLine(line, object, directories, scope, out);
    return out;
}

JSONLRewriter::Result JSONLRewriter::rewrite(const std::filesystem::path& in, std::string_view oldCwd,
                                             std::string_view newCwd, const Scope& scope)
{
    return rewrite(jsonlFiles(in), oldCwd, newCwd, scope);
}

JSONLRewriter::Result JSONLRewriter::rewrite(const std::vector<std::filesystem::path>& files, std::string_view oldCwd,
                                             std::string_view newCwd, const Scope& scope, OriginalsKeeper* keeper)
{
    Result result;
    if (oldCwd.empty() || newCwd.empty())
        return result;
    const Directories directories(oldCwd, newCwd);
    LineClassifier classifier(directories);
    ReadBuffer buffer;
    std::string out;
    for (const auto& file : files) {
        for (int attempt = 1;; ++attempt) {
            const auto stamp = loadTranscriptForRewrite(buffer, file);
            if (!stamp)
                break;
            const auto outcome = rewriteText(buffer.content(), classifier, directories, scope, out);
            if (outcome.changed) {
                const auto written = AtomicFile::writeIfUnchanged(
                    file, out, *stamp, keeper ? keeper->placeFor(file) : std::filesystem::path());
                if (!written) {
                    if (attempt == rewriteAttempts)
                        throw TranscriptBusyError(file);
                    continue;
                }
                if (keeper)
                    keeper->replaced(file, stamp->sizeBytes, *written);
            }
            addCounts(outcome.counts, result);
            result.unparsableLines += outcome.unparsable;
            if (anyCount(outcome.counts))
                ++result.files;
            break;
        }
    }
    return result;
}

JSONLRewriter::Result JSONLRewriter::rewriteText(std::string_view text, std::string_view oldCwd,
                                                 std::string_view newCwd, const Scope& scope, std::string& out)
{
    Result result;
    if (oldCwd.empty() || newCwd.empty()) {
        out.assign(text);
        return result;
    }
    const Directories directories(oldCwd, newCwd);
    LineClassifier classifier(directories);
    const simdjson::padded_string padded(text);
    const auto outcome = ::threadhop::rewriteText(padded, classifier, directories, scope, out);
    addCounts(outcome.counts, result);
    result.unparsableLines = outcome.unparsable;
    result.files = anyCount(outcome.counts) ? 1 : 0;
    return result;
}

std::string JSONLRewriter::rewrittenText(std::string_view text, std::string_view oldCwd, std::string_view newCwd,
                                         const Scope& scope)
{
    std::string out;
    rewriteText(text, oldCwd, newCwd, scope, out);
    return out;
}

std::string JSONLRewriter::replaceCwdFields(std::string_view in, std::string_view old, std::string_view newCwd)
{
    const Directories directories(old, newCwd);
    std::string out;
    out.reserve(in.size());
    appendReplacingCwdFields(in, directories, out);
    return out;
}

} // namespace threadhop
