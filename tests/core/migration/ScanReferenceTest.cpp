// The scan takes shortcuts (a text pass decides which lines and which strings it walks). Over random
// lines it must count exactly what a plain walk of every value of every line counts.
#include "core/migration/CwdClassifier.h"
#include "core/migration/JSONLRewriter.h"
#include "core/util/format/JSONParser.h"
#include "core/util/text/PathText.h"

#include "support/TempHome.h"

#include <random>

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

class LineGenerator {
    std::mt19937 m_random;

    const std::string& pick(const std::vector<std::string>& list) { return list[m_random() % list.size()]; }

public:
    explicit LineGenerator(unsigned seed) : m_random(seed) { }

    std::string line()
    {
        switch (m_random() % 40) {
        case 0:
            return "not json " + pick(m_values);
        case 1:
            return "{\"cwd\":\"" + pick(m_values) + "\""; // torn
        case 2:
            return "{\"cwd\":\"/a/b\",\"t\":\"caf\xC3\"}"; // not UTF-8
        case 3:
            return "[\"/a/b\",{\"cwd\":\"/a/b\"}]"; // not an object
        default:
            return object(0);
        }
    }

private:
    std::string value(int depth)
    {
        switch (m_random() % (depth < 3 ? 7 : 4)) {
        case 0:
            return "null";
        case 1:
            return pick(m_numbers);
        case 2:
        case 3:
            return "\"" + pick(m_values) + "\"";
        case 4:
        case 5:
            return object(depth + 1);
        default: {
            std::string array = "[";
            for (int i = 0, n = static_cast<int>(m_random() % 4); i < n; ++i)
                array += (i ? "," : "") + value(depth + 1);
            return array + "]";
        }
        }
    }

    std::string object(int depth)
    {
        std::string text = "{";
        for (int i = 0, n = 1 + static_cast<int>(m_random() % 5); i < n; ++i)
            text += std::string(i ? (m_random() % 4 ? "," : " , ") : "") + "\"" + pick(m_keys) + "\""
                + (m_random() % 5 ? ":" : " :\t") + value(depth);
        return text + "}";
    }

    const std::vector<std::string> m_keys{"cwd",     "cwd",     "text", "type", "snapshot", "trackedFileBackups",
                                          "message", "content", "x"};
    const std::vector<std::string> m_values{"/a/b",        "/a/b/",
                                            "/a/b/src",    "/a/bc",
                                            "/a/b-2",      "/a/b_x",
                                            "/a/b.txt",    "/a/bé",
                                            "/z/a/b",      "/a/b/a/b",
                                            "\\/a\\/b",    "\\u002fa\\u002fb\\/c",
                                            "/a\\u002fb",  "cd /a/b && ls /a/b/x",
                                            "/a/b\\\"q",   "",
                                            "relative",    "file-history-snapshot",
                                            "/other/x",    "\\uD83D /a/b",
                                            "/a/b\\u00e9", "/a/b\\n"};
    const std::vector<std::string> m_numbers{"1", "-0.5e3", "123456789012345678901234567890", "1e400", "true"};
};

TEST(ScanReferenceTest, CountsWhatAPlainWalkOfEveryValueCounts)
{
    const TempFolder folder;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        LineGenerator generator(seed);
        std::vector<std::string> files;
        for (int f = 0; f < 3; ++f) {
            std::string content;
            for (int i = 0; i < 200; ++i)
                content += generator.line() + (i % 17 == 0 ? "\r\n" : "\n");
            files.push_back(content);
            writeFile(folder.path() / ("f" + std::to_string(f) + ".jsonl"), content);
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
