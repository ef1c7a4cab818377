#include "core/editing/JSONLRewriter.h"
#include "core/editing/CwdClassifier.h"
#include "core/editing/JSONFieldEditor.h"
#include "core/util/fs/AtomicFile.h"

#include "support/TempHome.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <random>

#include <simdjson.h>

namespace threadhop::testing {
namespace {

using Hook = AtomicFile::ScopedReplaceHook;

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

// A new directory is written escaped; an old one with a quote matches its escaped form in the line.
TEST(JSONFieldEditorTest, DirectoriesNeedingEscapesAreWrittenAndMatchedEscaped)
{
    EXPECT_EQ(JSONLRewriter::replaceCwdFields(R"({"cwd":"/a/b/src","other":"x"})", "/a/b", "/new \"quoted\"\\dir\n"),
              R"({"cwd":"/new \"quoted\"\\dir\n/src","other":"x"})");
    EXPECT_EQ(JSONLRewriter::replaceCwdFields(R"({"cwd":"/we\"ird/x"})", "/we\"ird", "/n"), R"({"cwd":"/n/x"})");
}

// The line grammar step by step, for ASCII text, as a reference for the editor: where the string value
// of a listed key whose quote opens at `i` starts and ends (its quotes), when one does.
std::optional<std::pair<std::size_t, std::size_t>> keyedValue(std::string_view line, std::size_t i,
                                                              const std::vector<std::string>& keys)
{
    const auto blanks = [&](std::size_t at) {
        while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at])))
            ++at;
        return at;
    };
    if (line[i] != '"' || (i > 0 && line[i - 1] == '\\'))
        return std::nullopt;
    std::size_t k = i + 1;
    while (k < line.size() && line[k] != '"' && line[k] != '\\')
        ++k;
    if (k >= line.size() || line[k] != '"' || std::ranges::find(keys, line.substr(i + 1, k - i - 1)) == keys.end())
        return std::nullopt;
    const std::size_t c = blanks(k + 1);
    const std::size_t v = c < line.size() && line[c] == ':' ? blanks(c + 1) : line.size();
    if (v >= line.size() || line[v] != '"')
        return std::nullopt;
    std::size_t e = v + 1;
    while (e < line.size() && line[e] != '"')
        e += line[e] == '\\' ? 2 : 1;
    return e < line.size() ? std::optional(std::pair(v, e)) : std::nullopt;
}

std::string referenceEdit(std::string_view line, const std::vector<std::string>& keys)
{
    std::string out;
    for (std::size_t i = 0; i < line.size();) {
        const auto value = keyedValue(line, i, keys);
        if (!value) {
            out += line[i++];
            continue;
        }
        const auto [v, e] = *value;
        const std::string key(line.substr(i + 1, line.find('"', i + 1) - i - 1));
        out +=
            std::string(line.substr(i, v + 1 - i)) + "<" + key + ":" + std::string(line.substr(v + 1, e - v - 1)) + ">";
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

TEST(JSONLRewriterTest, BoundedCountNeedsABoundaryOnTheRight)
{
    EXPECT_EQ(JSONLRewriter::countPathOccurrences("/a/b", "/a/b"), 1);
    EXPECT_EQ(JSONLRewriter::countPathOccurrences("/a/b", "cd /a/b/c; x=/a/b\" /a/b, /a/b /z/a/b"), 5);
    EXPECT_EQ(JSONLRewriter::countPathOccurrences("/a/b", "/a/bc /a/b-2 /a/b_x /a/b.txt /a/bé /a/b٣"), 0);
    EXPECT_EQ(JSONLRewriter::countPathOccurrences("/a/b", "/a/b/a/b"), 2);
    EXPECT_EQ(JSONLRewriter::countPathOccurrences("aa", "aaaa"), 1); // matches never overlap
    EXPECT_EQ(JSONLRewriter::countPathOccurrences("", "anything"), 0);
}

TEST(JSONLRewriterTest, ClassifierRules)
{
    using CwdClassifier::classify;
    EXPECT_EQ(classify(std::vector<std::string>{"snapshot", "trackedFileBackups", "x"}, "/a/b", "/a/b"),
              CwdClass::externalState);
    EXPECT_EQ(classify(std::vector<std::string>{}, "/a/b", "/a/b"), CwdClass::history);
    EXPECT_EQ(classify(std::vector<std::string>{"message", "content"}, "/a/b", "/a/b"), CwdClass::history);
    EXPECT_EQ(classify(std::vector<std::string>{"cwd", "[]"}, "/a/b", "/a/b"), CwdClass::history);
    EXPECT_EQ(classify(std::vector<std::string>{"x", "cwd"}, "/a/b/c", "/a/b"), CwdClass::sessionCwd);
    EXPECT_EQ(classify(std::vector<std::string>{"cwd"}, "/a/bc", "/a/b"), CwdClass::driftedCwd);

    simdjson::dom::parser parser;
    const auto isExternal = [&](std::string_view json) {
        return CwdClassifier::isExternalStateLine(parser.parse(simdjson::padded_string(json)).get_object().value());
    };
    EXPECT_TRUE(isExternal(R"({"type":"file-history-snapshot"})"));
    EXPECT_TRUE(isExternal(R"({"type":"file-history-delta"})"));
    EXPECT_TRUE(isExternal(R"({"type":"user","snapshot":null})"));
    EXPECT_FALSE(isExternal(R"({"type":"user","message":{"snapshot":{}}})"));
}

TEST(JSONLRewriterTest, LineRewriteByScope)
{
    using Scope = JSONLRewriter::Scope;
    const std::string line = R"({"cwd":"/a/b","text":"/a/b/x and /z/a/b/y","tail":"/a/b"})";
    struct Case {
        std::string line;
        const Scope& scope;
        std::string old, replacement, expected;
    };
    const Scope neither({CwdClass::driftedCwd, CwdClass::externalState});
    std::vector<Case> cases{
        {line, Scope::sessionOnly, "/a/b", "/n", R"({"cwd":"/n","text":"/a/b/x and /z/a/b/y","tail":"/a/b"})"},
        {line, Scope::withHistory, "/a/b", "/n", R"({"cwd":"/n","text":"/n/x and /z/n/y","tail":"/n"})"},
        {line, neither, "/a/b", "/n", line},
        // Into a subfolder of the old directory: each occurrence is rewritten once.
        {R"({"cwd":"/a","text":"ls /a/x","end":"/a"})", Scope::withHistory, "/a", "/a/b",
         R"({"cwd":"/a/b","text":"ls /a/b/x","end":"/a/b"})"},
    };
    // Lines that must not change in any scope: external state, no object, no old directory in a cwd.
    for (const char* same : {R"({"type":"file-history-snapshot","snapshot":{"cwd":"/a/b"}})", R"(["/a/b"])",
                             "plain /a/b text", R"({"cwd":"/x/y"})", R"({"snapshot":1,"cwd":"/a/b"})"}) {
        for (const Scope* scope : {&Scope::sessionOnly, &Scope::withHistory})
            cases.push_back({same, *scope, "/a/b", "/n", same});
    }
    for (const auto& [text, scope, old, replacement, expected] : cases)
        EXPECT_EQ(JSONLRewriter::rewriteLine(text, old, replacement, scope), expected) << text;
    EXPECT_EQ(Scope({CwdClass::driftedCwd, CwdClass::history}).classes(), std::set<CwdClass>{CwdClass::history});
}

class JSONLRewriterFolderTest : public ::testing::Test {
protected:
    TempFolder folder;

    fs::path file(std::string_view name) const { return folder.path() / name; }
};

TEST_F(JSONLRewriterFolderTest, ListsTranscriptsSortedSkippingHiddenOnesAndScansNothingElse)
{
    writeFile(file("b.jsonl"), "");
    writeFile(file("a/sub/deep.jsonl"), "");
    writeFile(file("a.jsonl"), "");
    writeFile(file(".hidden/x.jsonl"), "");
    writeFile(file(".h.jsonl"), "");
    writeFile(file("notes.json"), "");
    const std::vector<fs::path> expected{file("a.jsonl"), file("a/sub/deep.jsonl"), file("b.jsonl")};
    EXPECT_EQ(JSONLRewriter::jsonlFiles(folder.path()), expected);
    EXPECT_TRUE(JSONLRewriter::jsonlFiles(file("missing")).empty());
    EXPECT_EQ(JSONLRewriter::scan(folder.path(), ""), JSONLRewriter::Result::empty());
    EXPECT_EQ(JSONLRewriter::scan(file("missing"), "/a/b"), JSONLRewriter::Result::empty());
}

TEST_F(JSONLRewriterFolderTest, RewriteKeepsLineEndingsAndSkipsUnchangedFiles)
{
    const std::string crlf = "{\"cwd\":\"/a/b\"}\r\n\r\n{\"x\":1}\r\n";
    writeFile(file("crlf.jsonl"), crlf);
    writeFile(file("final.jsonl"), "\n{\"cwd\":\"/a/b/s\"}\n\n\n{\"cwd\":\"/a/b\"}\n");
    writeFile(file("open.jsonl"), "{\"cwd\":\"/a/b\"}");
    const std::string untouched = "{\"cwd\":\"/elsewhere\"}\n{\"text\":\"/a/bc\"}\n";
    writeFile(file("untouched.jsonl"), untouched);
    const auto before = fs::last_write_time(file("untouched.jsonl"));
    fs::permissions(file("final.jsonl"), fs::perms(0600));
    const auto empty = JSONLRewriter::Result::empty();
    EXPECT_EQ(JSONLRewriter::rewrite(folder.path(), "", "/n", JSONLRewriter::Scope::sessionOnly), empty);
    EXPECT_EQ(JSONLRewriter::rewrite(folder.path(), "/a/b", "", JSONLRewriter::Scope::withHistory), empty);

    const auto result = JSONLRewriter::rewrite(folder.path(), "/a/b", "/n", JSONLRewriter::Scope::sessionOnly);
    EXPECT_EQ(result, (JSONLRewriter::Result{4, {{CwdClass::sessionCwd, 4}, {CwdClass::driftedCwd, 1}}}));
    EXPECT_EQ(readFile(file("crlf.jsonl")), "{\"cwd\":\"/n\"}\r\n\r\n{\"x\":1}\r\n");
    EXPECT_EQ(readFile(file("final.jsonl")), "\n{\"cwd\":\"/n/s\"}\n\n\n{\"cwd\":\"/n\"}\n");
    EXPECT_EQ(readFile(file("open.jsonl")), "{\"cwd\":\"/n\"}");
    EXPECT_EQ(readFile(file("untouched.jsonl")), untouched);
    EXPECT_EQ(fs::last_write_time(file("untouched.jsonl")), before);
    EXPECT_EQ(fs::status(file("final.jsonl")).permissions(), fs::perms(0600));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 4);
}

TEST_F(JSONLRewriterFolderTest, BadInputIsNeverCorrupted)
{
    std::string huge = "{\"cwd\":\"/a/b\",\"blob\":\"";
    huge.append(64 << 20, 'x');
    huge += " /a/b/end\"}\n";
    writeFile(file("huge.jsonl"), huge);
    const std::string nuls = std::string("{\"cwd\":\"/a/b\",\"t\":\"\0\"}\n", 24) + std::string("\0\0/a/b\n", 7);
    writeFile(file("nuls.jsonl"), nuls);
    std::string deep = "{\"cwd\":\"/a/b\",\"d\":";
    deep += std::string(5000, '[') + std::string(5000, ']') + "}\n";
    writeFile(file("deep.jsonl"), deep);
    const std::string notUtf8 = "{\"cwd\":\"/a/b\",\"t\":\"\xff\"}\n";
    writeFile(file("bad-utf8.jsonl"), notUtf8);
    writeFile(file("empty.jsonl"), "");
    fs::create_directories(file("folder.jsonl"));

    const auto scanned = JSONLRewriter::scan(folder.path(), "/a/b");
    EXPECT_EQ(scanned.unparsableLines, 4); // the NUL line, the bare NULs, the deep line and the one not UTF-8
    const auto result = JSONLRewriter::rewrite(folder.path(), "/a/b", "/n", JSONLRewriter::Scope::withHistory);
    EXPECT_EQ(result, scanned);

    std::string hugeAfter = huge;
    hugeAfter.replace(hugeAfter.find("/a/b"), 4, "/n");
    hugeAfter.replace(hugeAfter.rfind("/a/b"), 4, "/n");
    EXPECT_EQ(readFile(file("huge.jsonl")), hugeAfter);
    EXPECT_EQ(readFile(file("nuls.jsonl")), nuls);
    EXPECT_EQ(readFile(file("deep.jsonl")), deep);
    EXPECT_EQ(readFile(file("bad-utf8.jsonl")), notUtf8);
    EXPECT_EQ(readFile(file("empty.jsonl")), "");
}

// Claude Code may append to a transcript while it is being rewritten: the append must survive.
TEST_F(JSONLRewriterFolderTest, AnAppendDuringTheRewriteSurvives)
{
    const fs::path live = file("live.jsonl");
    const auto append = [](const fs::path& path, std::string_view line) {
        std::ofstream(path, std::ios::app) << line << "\n";
    };
    const auto rewrite = [&](Hook::Moment moment, const std::function<void(const fs::path&)>& during) {
        writeFile(live, "{\"cwd\":\"/a/b\"}\n");
        const Hook hook(moment, during);
        return JSONLRewriter::rewrite(folder.path(), "/a/b", "/n", JSONLRewriter::Scope::sessionOnly);
    };
    // A file changed before its replacement is read again.
    int calls = 0;
    const auto early = rewrite(Hook::Moment::beforeCheck, [&](const fs::path& path) {
        if (calls++ == 0)
            append(path, R"({"cwd":"/a/b/late"})");
    });
    EXPECT_EQ(early.byClass.at(CwdClass::sessionCwd), 2);
    EXPECT_EQ(readFile(live), "{\"cwd\":\"/n\"}\n{\"cwd\":\"/n/late\"}\n");

    rewrite(Hook::Moment::beforeRename, [&](const fs::path& path) { append(path, R"({"late":1})"); });
    EXPECT_EQ(readFile(live), "{\"cwd\":\"/n\"}\n{\"late\":1}\n");

    // A file that keeps changing is left alone with a clear error, and no half-written copy.
    const auto busy = thrown<JSONLRewriter::TranscriptBusyError>(
        [&] { rewrite(Hook::Moment::beforeCheck, [&](const fs::path& path) { append(path, "{}"); }); });
    EXPECT_NE(busy.find(live.string()), std::string::npos);
    EXPECT_EQ(readFile(live), "{\"cwd\":\"/a/b\"}\n{}\n{}\n{}\n");
    // Nor does a write into a folder that is not there leave anything.
    EXPECT_THROW(AtomicFile::write(folder.path() / "missing" / "t", "x"), fs::filesystem_error);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);
}

} // namespace
} // namespace threadhop::testing
