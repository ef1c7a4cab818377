// The rewriter takes shortcuts: a text pass (LineFacts) decides which lines and which strings the
// scan walks. That pass must agree with its plain definition, and over random lines the scan must
// count exactly what a plain walk of every value of every line counts. Rewriting old → new and then
// new → old must give back every file byte for byte whenever new occurs nowhere in the originals:
// the rewrite touches nothing but the edited values.
#include "core/editing/CwdClassifier.h"
#include "core/editing/JSONLRewriter.h"
#include "core/editing/LineFacts.h"
#include "core/util/format/JSONParser.h"
#include "core/util/text/PathText.h"

#include "support/MigrationTest.h"
#include "support/RandomLines.h"

#include <random>

namespace threadhop::testing {
namespace {

// Position by position, as the definition reads.
LineFacts reference(std::string_view line, std::string_view directory)
{
    LineFacts facts;
    for (std::size_t at = 0; at < line.size();) {
        if (line.substr(at).starts_with(directory)) {
            ++facts.directoryCount;
            at += directory.size();
        } else {
            ++at;
        }
    }
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line.substr(at).starts_with("\"cwd\""))
            facts.cwdKeyTexts = std::min(facts.cwdKeyTexts + 1, 2);
        if (line.substr(at).starts_with("\\/") || line.substr(at).starts_with("\\u"))
            facts.hasSpellingEscape = true;
    }
    return facts;
}

// Line by line, and over a whole text whose pieces the one pass must tell apart.
TEST(LineFactsTest, AgreesWithThePlainDefinitionAtEveryLengthAndAlignment)
{
    std::mt19937 random(7);
    const std::string alphabet = "/ab\"cwd\\u";
    for (int round = 0; round < 20000; ++round) {
        std::string directory;
        const std::size_t directoryLength = 1 + random() % (round % 5 == 0 ? 60 : 4);
        for (std::size_t i = 0; i < directoryLength; ++i)
            directory += alphabet[random() % 3];
        std::vector<std::string> lines(1 + random() % 3);
        for (auto& line : lines) {
            const std::size_t length = random() % 160;
            while (line.size() < length) {
                switch (random() % 4) {
                case 0:
                    line += directory;
                    break;
                case 1:
                    line += "\"cwd\"";
                    break;
                default:
                    line += alphabet[random() % alphabet.size()];
                    break;
                }
            }
            ASSERT_EQ(LineFacts::of(line, directory), reference(line, directory))
                << "line [" << line << "] directory [" << directory << "]";
        }
        std::string text = lines.front();
        for (std::size_t i = 1; i < lines.size(); ++i)
            text += "\n" + lines[i];
        std::vector<std::string> pieces;
        forEachLineFeedPieceWithFacts(text, directory, [&](std::string_view piece, const LineFacts& facts, bool last) {
            ASSERT_EQ(facts, reference(piece, directory)) << "piece [" << piece << "] directory [" << directory << "]";
            EXPECT_EQ(last, pieces.size() + 1 == lines.size());
            pieces.emplace_back(piece);
        });
        ASSERT_EQ(pieces, lines) << "text [" << text << "]";
    }
}

using Counts = std::map<CwdClass, std::int64_t>;

void walk(simdjson::dom::element value, std::vector<std::string>& path, std::string_view old, Counts& counts)
{
    switch (value.type()) {
    case simdjson::dom::element_type::OBJECT: {
        const simdjson::dom::object object = value.get_object().value();
        for (const auto field : object) {
            path.emplace_back(field.key);
            walk(field.value, path, old, counts);
            path.pop_back();
        }
        break;
    }
    case simdjson::dom::element_type::ARRAY: {
        const simdjson::dom::array array = value.get_array().value();
        for (const auto element : array) {
            path.emplace_back("[]");
            walk(element, path, old, counts);
            path.pop_back();
        }
        break;
    }
    case simdjson::dom::element_type::STRING: {
        const std::string_view text = value.get_string().value();
        if (!path.empty() && path.back() == "cwd") {
            if (PathText::isAtOrBelow(text, old))
                ++counts[CwdClass::sessionCwd];
            else if (!text.empty() && text.find('/') != std::string_view::npos)
                ++counts[CwdClass::driftedCwd];
        } else if (const auto n = JSONLRewriter::countPathOccurrences(old, text); n > 0) {
            counts[CwdClassifier::classify(path, text, old)] += n;
        }
        break;
    }
    default:
        break;
    }
}

// The scan as its rules read: screen by text, parse, walk every value.
JSONLRewriter::Result plainScan(const std::vector<std::string>& files, std::string_view old)
{
    JSONLRewriter::Result result;
    JSONParser parser;
    for (const auto& content : files) {
        Counts fileCounts;
        std::size_t start = 0;
        while (start <= content.size()) {
            const std::size_t end = std::min(content.find('\n', start), content.size());
            const std::string_view line = std::string_view(content).substr(start, end - start);
            start = end + 1;
            const auto npos = std::string_view::npos;
            if (line.empty() || (line.find(old) == npos && line.find("\"cwd\"") == npos))
                continue;
            simdjson::dom::element element;
            if (parser.parse(line).get(element) != simdjson::SUCCESS || !element.is_object()) {
                ++result.unparsableLines;
                continue;
            }
            std::vector<std::string> path;
            walk(element, path, old, fileCounts);
        }
        std::int64_t total = 0;
        for (const auto& [cwdClass, count] : fileCounts) {
            if (count > 0) {
                result.byClass[cwdClass] += count;
                total += count;
            }
        }
        if (total > 0)
            ++result.files;
    }
    return result;
}

TEST(ScanReferenceTest, CountsWhatAPlainWalkOfEveryValueCounts)
{
    const TempFolder folder;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        RandomLines generator(seed);
        std::vector<std::string> files;
        for (int f = 0; f < 3; ++f) {
            files.push_back(generator.text(200));
            writeFile(folder.path() / ("f" + std::to_string(f) + ".jsonl"), files.back());
        }
        for (const char* old : {"/a/b", "/a"}) {
            const auto expected = plainScan(files, old);
            ASSERT_EQ(JSONLRewriter::scan(folder.path(), old), expected) << "seed " << seed << " old " << old;
            // The rewrite reports what it found before rewriting, by the same rules.
            if (std::string_view(old) == "/a/b") {
                const TempFolder copy;
                std::filesystem::copy(folder.path(), copy.path(), std::filesystem::copy_options::recursive);
                ASSERT_EQ(JSONLRewriter::rewrite(copy.path(), old, "/n", JSONLRewriter::Scope::withHistory), expected)
                    << "seed " << seed;
            }
        }
    }
}

class RewriteRoundTripTest : public MigrationTest {
protected:
    static void expectRoundTrip(const fs::path& folder, const std::string& oldCwd, const std::string& newCwd)
    {
        const auto original = snapshot(folder);
        for (const auto& [path, content] : original)
            ASSERT_EQ(content.find(newCwd), std::string::npos) << "the new directory must be new: " << path;
        for (const auto* scope : {&JSONLRewriter::Scope::sessionOnly, &JSONLRewriter::Scope::withHistory}) {
            const auto forward = JSONLRewriter::rewrite(folder, oldCwd, newCwd, *scope);
            EXPECT_GT(JSONLRewriter::inScopeTotal(forward, *scope), 0);
            JSONLRewriter::rewrite(folder, newCwd, oldCwd, *scope);
            // Not EXPECT_EQ: printing megabytes of transcript would bury the failure.
            EXPECT_TRUE(snapshot(folder) == original) << "a file changed after a round trip";
        }
    }
};

TEST_F(RewriteRoundTripTest, RealTranscripts)
{
    const TempFolder marco;
    for (const char* name : {"short.jsonl", "tool_heavy.jsonl", "subagent.jsonl"})
        fs::copy_file(fixtureTranscripts() / name, marco.path() / name);
    expectRoundTrip(marco.path(), "/home/marco/projects/spotter", "/srv/moved here/spotter");

    const TempFolder worktree;
    copyRealSession(worktree.path());
    expectRoundTrip(worktree.path(), realCwd, "/home/USER/w/é 4te");
}

TEST_F(RewriteRoundTripTest, GeneratedLines)
{
    const TempFolder folder;
    writeFile(folder.path() / "generated.jsonl", RandomLines(12345).text(3000));
    expectRoundTrip(folder.path(), "/a/b", "/q/new");
}

} // namespace
} // namespace threadhop::testing
