#include "core/migration/IdentityRewriter.h"

#include "core/util/format/Uuid.h"
#include "support/TempHome.h"

#include <simdjson.h>

namespace threadhop::testing {
namespace {

const std::string oldId = "aaaaaaaa-0000-4000-8000-000000000000";
const std::string newId = "bbbbbbbb-1111-4111-8111-111111111111";
const std::string u1 = "c0000000-0000-4000-8000-000000000001";
const std::string u2 = "c0000000-0000-4000-8000-000000000002";

IdentityRewriter::ValueSet collected(std::string_view json)
{
    simdjson::dom::parser parser;
    IdentityRewriter::ValueSet values;
    IdentityRewriter::collect(parser.parse(simdjson::padded_string(json)).value(), std::nullopt, values);
    return values;
}

TEST(IdentityRewriterTest, UuidShape)
{
    EXPECT_TRUE(IdentityRewriter::isUUID("0123abcd-ABCD-4ef0-8aBc-0123456789Ef"));
    for (const std::string_view bad :
         {"0123abcdABCD4ef08aBc0123456789Ef", "{0123abcd-ABCD-4ef0-8aBc-0123456789E}",
          "0123abcg-abcd-4ef0-8abc-0123456789ef", "0123abcd-abcd4-ef0-8abc-0123456789ef",
          "0123abcd-abcd-4ef0-8abc-0123456789ef-", "0123abcd--bcd-4ef0-8abc-0123456789ef", ""})
        EXPECT_FALSE(IdentityRewriter::isUUID(bad)) << bad;
}

TEST(IdentityRewriterTest, CollectsUuidsUnderTheTwelveKeysAtAnyDepth)
{
    std::string line = "{";
    IdentityRewriter::ValueSet expected;
    for (std::size_t i = 0; i < IdentityRewriter::identityKeys.size(); ++i) {
        const std::string value =
            "d000000" + std::to_string(i % 10) + "-0000-4000-8000-0000000000" + std::to_string(10 + i);
        line += "\"" + std::string(IdentityRewriter::identityKeys[i]) + "\":\"" + value + "\",";
        expected.insert(value);
    }
    line += R"("nested":{"deeper":[{"uuid":")" + u1 + R"("}]},"leafUuid":[")" + u2 + R"(",[")" + oldId + R"("]],)";
    expected.insert({u1, u2, oldId});
    // Not identity values: other keys, teamName, opaque message tokens, non-strings.
    line += R"("id":"e0000000-0000-4000-8000-000000000000","teamName":"f0000000-0000-4000-8000-000000000000",)"
            R"("messageId":"msg_01ABC","toolUseID":"e0000000-0000-4000-8000-000000000001","parentUuid":null})";
    EXPECT_EQ(IdentityRewriter::identityKeys.size(), 12u);
    EXPECT_EQ(collected(line), expected);
    EXPECT_TRUE(collected(R"([")" + u1 + R"("])").empty()); // a top-level array has no key
}

TEST(IdentityRewriterTest, IdentityFilesAreTranscriptsAndMetaFiles)
{
    const std::vector<fs::path> files{"/f/a.jsonl", "/f/a/x.meta.json", "/f/a/.hidden", "/f/a/y.json",
                                      "/f/a/z.jsonl.bak"};
    EXPECT_EQ(IdentityRewriter::identityFiles(files), (std::vector<fs::path>{"/f/a.jsonl", "/f/a/x.meta.json"}));
}

class IdentityRewriterFilesTest : public ::testing::Test {
protected:
    fs::path file(std::string_view name) const { return m_folder.path() / name; }

private:
    TempFolder m_folder;
};

// Three linked lines of one conversation: its session id, two line uuids and a team name.
std::string conversation(const std::string& session, const std::string& first, const std::string& second,
                         const std::string& team)
{
    const std::string id = R"({"sessionId":")" + session;
    return id + R"(","uuid":")" + first + R"(","parentUuid":null,"teamName":")" + team + "\"}\n" + id + R"(","uuid":")"
        + second + R"(","parentUuid":")" + first
        + R"(","teamName":"other"})"
          "\n"
        + id + R"(", "uuid" : ")" + u1 + R"(x","parentUuid":")" + second + "\"}\n";
}

TEST_F(IdentityRewriterFilesTest, ForkGivesEveryValueAFreshOneAndKeepsEveryLink)
{
    writeFile(file("t.jsonl"), conversation(oldId, u1, u2, "session-aaaaaaaa"));
    // A meta file gives no values of its own, but its links are rewritten.
    const std::string metaUuid = "c0000000-0000-4000-8000-000000000003";
    const auto meta = [&](const std::string& parent) {
        return "{\n  \"uuid\": \"" + metaUuid + "\",\n  \"parentUuid\": \"" + parent + "\"\n}\n";
    };
    writeFile(file("a.meta.json"), meta(u1));
    const std::vector<fs::path> files{file("t.jsonl"), file("a.meta.json")};
    const auto plan = IdentityRewriter::buildPlan(files, oldId, newId);
    ASSERT_EQ(plan.mapping.size(), 3u); // "<u1>x" is not UUID-shaped
    EXPECT_EQ(plan.mapping.at(oldId), newId);
    for (const auto& value : {u1, u2}) {
        const std::string& fresh = plan.mapping.at(value);
        EXPECT_EQ(fresh, Uuid::parse(fresh)->lowerText());
        EXPECT_EQ(fresh[14], '4'); // version 4
        EXPECT_NE(fresh, value);
    }
    EXPECT_NE(plan.mapping.at(u1), plan.mapping.at(u2));

    // 3 session ids, 2 uuids, 3 parent links and 1 team name; each link still names its line,
    // and the blanks around the third line's colon stay.
    EXPECT_EQ(IdentityRewriter::apply(plan, files), 9);
    EXPECT_EQ(readFile(file("t.jsonl")),
              conversation(newId, plan.mapping.at(u1), plan.mapping.at(u2), "session-bbbbbbbb"));
    EXPECT_EQ(readFile(file("a.meta.json")), meta(plan.mapping.at(u1)));
    // An empty mapping edits nothing, team names named after its old session id included.
    EXPECT_EQ(IdentityRewriter::apply({.oldSessionId = newId, .newSessionId = oldId}, files), 0);
}

TEST_F(IdentityRewriterFilesTest, WhatTheEditorDoesNotMatchStays)
{
    const std::string upper = "ABCDEF00-0000-4000-8000-00000000000A";
    const std::string text = R"({"sessionId":")" + oldId + R"(","u\u0075id":")" + u1 + R"(","uuid":")" + upper
        + R"("})"
          "\n"
          R"({"uuid":")"
        + u1 + R"(","messageId":"msg_opaque","note":"\"uuid\":\")" + u1
        + R"(\""})"
          "\n";
    writeFile(file("t.jsonl"), text);
    const auto plan = IdentityRewriter::buildPlan({file("t.jsonl")}, oldId, newId);
    // The escaped key is still "uuid" to a parser, so u1 is collected from both lines.
    EXPECT_EQ(plan.mapping.size(), 3u);
    ASSERT_TRUE(plan.mapping.contains(upper));
    EXPECT_EQ(plan.mapping.at(upper), Uuid::parse(plan.mapping.at(upper))->lowerText());

    IdentityRewriter::apply(plan, {file("t.jsonl")});
    const std::string after = readFile(file("t.jsonl"));
    EXPECT_NE(after.find(R"("u\u0075id":")" + u1), std::string::npos); // escaped key: not matched
    EXPECT_NE(after.find(R"(\"uuid\":\")" + u1), std::string::npos);   // inside another value
    EXPECT_NE(after.find(R"({"uuid":")" + plan.mapping.at(u1)), std::string::npos);
    EXPECT_NE(after.find(R"("uuid":")" + plan.mapping.at(upper)), std::string::npos);
    EXPECT_NE(after.find("msg_opaque"), std::string::npos);
}

TEST_F(IdentityRewriterFilesTest, BadInputIsSkippedWithoutHarm)
{
    // Not valid UTF-8: the valid lines give their values, and every byte but the values stays.
    const std::string broken = "{\"uuid\":\"" + u1 + "\",\"text\":\"caf\xE9\"}\n{\"parentUuid\":\"" + u1 + "\"}\n";
    writeFile(file("latin1.jsonl"), broken);
    writeFile(file("empty.jsonl"), "");
    writeFile(file("noise.jsonl"), "not json\n{\"uuid\":\n\n\r\n" + std::string(100000, '[') + "\n{\"uuid\":\"" + u2);
    const std::vector<fs::path> files{file("latin1.jsonl"), file("empty.jsonl"), file("noise.jsonl"),
                                      file("missing.jsonl")};
    const auto plan = IdentityRewriter::buildPlan(files, oldId, newId);
    EXPECT_TRUE(plan.mapping.contains(u1));  // from the second line of the Latin-1 file
    EXPECT_FALSE(plan.mapping.contains(u2)); // the cut last line does not parse
    EXPECT_EQ(IdentityRewriter::apply(plan, files), 2);
    const std::string fresh = plan.mapping.at(u1);
    EXPECT_EQ(readFile(file("latin1.jsonl")),
              "{\"uuid\":\"" + fresh + "\",\"text\":\"caf\xE9\"}\n{\"parentUuid\":\"" + fresh + "\"}\n");
    EXPECT_EQ(readFile(file("empty.jsonl")), "");
    EXPECT_FALSE(fs::exists(file("missing.jsonl")));
}

} // namespace
} // namespace threadhop::testing
