#include "core/migration/JSONFieldEditor.h"
#include "core/migration/JSONLRewriter.h"

#include <algorithm>
#include <cctype>
#include <random>

#include <gtest/gtest.h>
#include <simdjson.h>

namespace threadhop {
namespace {

std::string moveCwd(std::string_view line)
{
    return JSONLRewriter::replaceCwdFields(line, "/a/b", "/n");
}

TEST(JSONFieldEditorTest, EditsOnlyCwdValuesAtOrBelowTheOldDirectory)
{
    const std::pair<std::string, std::string> cases[] = {
        {R"({"type":"user","cwd":"/a/b","n":1.50,"e":"\u00e9"})",
         R"({"type":"user","cwd":"/n","n":1.50,"e":"\u00e9"})"},
        {R"({"outer":{"list":[{"cwd":"/a/b/src"}]}})", R"({"outer":{"list":[{"cwd":"/n/src"}]}})"},
        // Bytes that are not UTF-8 are kept as they are.
        {"{\"a\":\"\xff\xfe\",\"cwd\":\"/a/b/\xc3\",\"z\":\"\x80\"}",
         "{\"a\":\"\xff\xfe\",\"cwd\":\"/n/\xc3\",\"z\":\"\x80\"}"},
        // A quote fused with a combining mark is no quote: no key "cwd" here, and a value that runs on.
        {"{\"cwd\"\u0301:\"/a/b\"}", "{\"cwd\"\u0301:\"/a/b\"}"},
        {"{\"cwd\":\"/a/b\"\u0301,\"x\":\"y\"}", "{\"cwd\":\"/a/b\"\u0301,\"x\":\"y\"}"},
        // An accent on the backslash: it escapes nothing, so the quote after it closes the value.
        {"{\"cwd\":\"/a/b/\\\u0301\",\"k\":1}", "{\"cwd\":\"/n/\\\u0301\",\"k\":1}"},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(moveCwd(line), expected) << line;
    // Where a key and its string value are is checked against the grammar below; here, which values move.
    for (const char* line : {R"({"cwd":"/a/bc"})", R"({"cwd":"/z/a/b"})", R"({"cwd":"\/a\/b"})"})
        EXPECT_EQ(moveCwd(line), line) << line;
}

// What the transform sees is checked against the grammar below; here, what it declines stays.
TEST(JSONFieldEditorTest, AValueTheTransformDeclinesStays)
{
    const auto clearParents = [](std::string_view key, std::string_view) -> std::optional<std::string_view> {
        return key == "parentUuid" ? std::optional<std::string_view>("") : std::nullopt;
    };
    EXPECT_EQ(JSONFieldEditor::replaceStringFields(R"({"uuid":"u\"1","x":{"parentUuid":"p"},"uuid":"u2"})",
                                                   {"uuid", "parentUuid"}, clearParents),
              R"({"uuid":"u\"1","x":{"parentUuid":""},"uuid":"u2"})");
    EXPECT_EQ(JSONFieldEditor::replaceStringFields(R"({"uuid":"x"})", {}, nullptr), R"({"uuid":"x"})");
}

TEST(JSONFieldEditorTest, DirectoriesNeedingEscapesStayValidJson)
{
    const std::string line = R"({"cwd":"/a/b/src","other":"x"})";
    const std::string out = JSONLRewriter::replaceCwdFields(line, "/a/b", "/new \"quoted\"\\dir\n");
    simdjson::dom::parser parser;
    std::string_view cwd;
    ASSERT_EQ(parser.parse(simdjson::padded_string(out))["cwd"].get_string().get(cwd), simdjson::SUCCESS) << out;
    EXPECT_EQ(cwd, "/new \"quoted\"\\dir\n/src");
    // An old directory with a quote matches its escaped form in the line.
    EXPECT_EQ(JSONLRewriter::replaceCwdFields(R"({"cwd":"/we\"ird/x"})", "/we\"ird", "/n"), R"({"cwd":"/n/x"})");
}

// The line grammar step by step, for ASCII text, as a reference for the editor.
std::string referenceEdit(std::string_view line, const std::vector<std::string>& keys)
{
    std::string out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] != '"' || (i > 0 && line[i - 1] == '\\')) {
            out += line[i++];
            continue;
        }
        std::size_t k = i + 1;
        while (k < line.size() && line[k] != '"' && line[k] != '\\')
            ++k;
        const auto miss = [&] { out += line[i++]; };
        if (k >= line.size() || line[k] != '"') {
            miss();
            continue;
        }
        const std::string key(line.substr(i + 1, k - i - 1));
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            miss();
            continue;
        }
        std::size_t c = k + 1;
        while (c < line.size() && std::isspace(static_cast<unsigned char>(line[c])))
            ++c;
        if (c >= line.size() || line[c] != ':') {
            miss();
            continue;
        }
        std::size_t v = c + 1;
        while (v < line.size() && std::isspace(static_cast<unsigned char>(line[v])))
            ++v;
        if (v >= line.size() || line[v] != '"') {
            miss();
            continue;
        }
        std::size_t e = v + 1;
        while (e < line.size() && line[e] != '"')
            e += line[e] == '\\' ? 2 : 1;
        if (e >= line.size()) {
            miss();
            continue;
        }
        out.append(line.substr(i, v + 1 - i));
        out += "<" + key + ":" + std::string(line.substr(v + 1, e - v - 1)) + ">";
        i = e;
    }
    return out;
}

TEST(JSONFieldEditorTest, AgreesWithTheGrammarOnRandomLines)
{
    const std::vector<std::string> keys{"cwd", "uuid", "parentUuid"};
    const std::vector<std::string> pieces{"\"",         "\\", ":", " ", "\n", "cwd",        "uuid",
                                          "parentUuid", "x",  "{", "}", ",",  "\"cwd\":\"", "\"uuid\" : \""};
    std::mt19937 random(3);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const int length = static_cast<int>(random() % 60);
        for (int p = 0; p < length; ++p)
            line += pieces[random() % pieces.size()];
        const std::string edited = JSONFieldEditor::replaceStringFields(
            line, {"cwd", "uuid", "parentUuid"},
            [scratch = std::string()](std::string_view key,
                                      std::string_view raw) mutable -> std::optional<std::string_view> {
                scratch = "<" + std::string(key) + ":" + std::string(raw) + ">";
                return scratch;
            });
        ASSERT_EQ(edited, referenceEdit(line, keys)) << line;
    }
}

} // namespace
} // namespace threadhop
