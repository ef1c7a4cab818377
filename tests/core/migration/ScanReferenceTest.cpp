// The scan takes shortcuts (a text pass decides which lines and which strings it walks). Over random
// lines it must count exactly what a plain walk of every value of every line counts.
#include "core/migration/CwdClassifier.h"
#include "core/migration/JSONLRewriter.h"
#include "core/util/format/JSONParser.h"
#include "core/util/text/PathText.h"

#include "support/RandomLines.h"

namespace threadhop::testing {
namespace {

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

} // namespace
} // namespace threadhop::testing
