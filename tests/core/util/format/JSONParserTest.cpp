#include "core/util/format/JSONParser.h"

#include <cfloat>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

struct Accepted {
    const char* json;
    const char* normalized; ///< what simdjson then reads
};

// Valid JSON that simdjson alone refuses.
TEST(JSONParserTest, ReadsValidTextsThatTheFastParserRefuses)
{
    const Accepted cases[] = {
        {R"({"big":123456789012345678901234567890,"cwd":"/a"})", R"({"big":1.2345678901234568e+29,"cwd":"/a"})"},
        {R"({"n":-123456789012345678901234567890})", R"({"n":-1.2345678901234568e+29})"},
        {R"([18446744073709551616, 18446744073709551615, -9223372036854775808])",
         R"([1.8446744073709552e+19, 18446744073709551615, -9223372036854775808])"},
        {R"({"x":1e400,"y":-1E+400,"z":1e-400})",
         R"({"x":1.7976931348623157e+308,"y":-1.7976931348623157e+308,"z":0e+00})"},
        {R"({"t":"cut \uD83D","u":"\uDE00 alone","pair":"\uD83D\uDE00","next":"\uD83D\u0041"})",
         R"({"t":"cut \uFFFD","u":"\uFFFD alone","pair":"\uD83D\uDE00","next":"\uFFFD\u0041"})"},
        {" \t\r\n[ {} , [] , \"\\\"\\\\\\/\\b\\f\\n\\r\\t\" , true , false , null , 1e999 ] ",
         " \t\r\n[ {} , [] , \"\\\"\\\\\\/\\b\\f\\n\\r\\t\" , true , false , null , 1.7976931348623157e+308 ] "},
    };
    JSONParser parser;
    for (const auto& [json, normalized] : cases) {
        std::string out;
        ASSERT_TRUE(JSONParser::normalize(json, out)) << json;
        EXPECT_EQ(out, normalized);
        EXPECT_EQ(parser.parse(json).error(), simdjson::SUCCESS) << json;
    }
    simdjson::dom::element value;
    ASSERT_EQ(parser.parse(R"({"x":-1e400,"t":"\uD83D!"})")["x"].get(value), simdjson::SUCCESS);
    EXPECT_EQ(value.get_double().value(), -DBL_MAX);
    EXPECT_EQ(parser.parse(R"({"x":-1e400,"t":"\uD83D!"})")["t"].get_string().value(), "\xEF\xBF\xBD!");
}

TEST(JSONParserTest, RefusesWhatIsNotJson)
{
    const char* cases[] = {
        R"({"cwd":"/a")",        // a torn line
        R"({"a":01})",           // leading zero
        R"({"a":1.})",           // fraction without digits
        R"({"a":-})",            // sign alone
        R"({"a":1e})",           // exponent without digits
        R"({"a":"\x"})",         // unknown escape
        R"({"a":"\u12G4"})",     // bad hexadecimal digit
        "{\"a\":\"tab\there\"}", // a raw control character
        "{\"a\":\"\xff\"}",      // not UTF-8
        R"({"a":1,})",           // trailing comma
        R"({"a" 1})",            // missing colon
        R"({1:2})",              // a key that is not a string
        R"([1 2])",              // missing comma
        R"({"a":tru})",          // a cut literal
        R"({"a":1}{"b":2})",     // two values
        R"({"a":[1,2})",         // mismatched brackets
        "",                      // nothing
        R"({"a":1e400)",         // a refused number in a torn line stays refused
    };
    JSONParser parser;
    for (const char* json : cases) {
        std::string out;
        EXPECT_FALSE(JSONParser::normalize(json, out)) << json;
        EXPECT_NE(parser.parse(json).error(), simdjson::SUCCESS) << json;
    }
}

TEST(JSONParserTest, NestingBeyondTheLimitIsRefusedWithoutRecursion)
{
    JSONParser parser;
    const std::string deep = std::string(100000, '[') + "1e400" + std::string(100000, ']');
    std::string out;
    EXPECT_FALSE(JSONParser::normalize(deep, out));
    EXPECT_NE(parser.parse(deep).error(), simdjson::SUCCESS);
    const std::string allowed = std::string(1000, '[') + "1e400" + std::string(1000, ']');
    EXPECT_EQ(parser.parse(allowed).error(), simdjson::SUCCESS);
}

} // namespace
} // namespace threadhop
