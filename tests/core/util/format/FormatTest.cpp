// The formats the app reads and writes: JSON, ISO 8601 dates and UUIDs.

#include "core/util/format/DateText.h"
#include "core/util/format/JSONParser.h"
#include "core/util/format/JSONWriter.h"
#include "core/util/format/Uuid.h"

#include <cfloat>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

// Valid JSON that simdjson alone refuses.
TEST(JSONParserTest, ReadsValidTextsThatTheFastParserRefuses)
{
    // The text, and what simdjson then reads.
    const std::pair<std::string, std::string> cases[] = {
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
        {std::string(1000, '[') + "1e400" + std::string(1000, ']'),
         std::string(1000, '[') + "1.7976931348623157e+308" + std::string(1000, ']')},
    };
    JSONParser parser;
    for (const auto& [json, normalized] : cases) {
        std::string out;
        ASSERT_TRUE(JSONParser::normalize(json, out)) << json;
        EXPECT_EQ(out, normalized);
        EXPECT_EQ(parser.parse(json).error(), simdjson::SUCCESS) << json;
    }
    const auto parsed = parser.parse(R"({"x":-1e400,"t":"\uD83D!"})");
    EXPECT_EQ(parsed["x"].get_double().value(), -DBL_MAX);
    EXPECT_EQ(parsed["t"].get_string().value(), "\xEF\xBF\xBD!");
}

TEST(JSONParserTest, RefusesWhatIsNotJson)
{
    const std::string cases[] = {
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
        // Nesting beyond the limit, refused without recursion, though it is JSON by RFC 8259.
        std::string(100000, '[') + "1e400" + std::string(100000, ']'),
    };
    JSONParser parser;
    for (const std::string& json : cases) {
        std::string out;
        EXPECT_FALSE(JSONParser::normalize(json, out)) << json;
        EXPECT_NE(parser.parse(json).error(), simdjson::SUCCESS) << json;
        EXPECT_EQ(JSONParser::isJson(json), &json == &std::end(cases)[-1]) << json;
    }
}

TEST(JSONWriterTest, EscapesOnlyWhatJsonRequiresAndPrettyPrintsWithSortedKeys)
{
    EXPECT_EQ(JSONWriter::escaped("a\"b\\c/d\u00E9"), "a\\\"b\\\\c/d\u00E9");
    EXPECT_EQ(JSONWriter::escaped(std::string("\n\t\r\b\f\x01\x1f", 7)), "\\n\\t\\r\\b\\f\\u0001\\u001f");

    const JSONValue value(JSONValue::Array{
        JSONValue(JSONValue::Object{{"zeta", JSONValue(std::int64_t{3})},
                                    {"alpha", JSONValue(true)},
                                    {"list", JSONValue(JSONValue::Array{"x"})},
                                    {"empty", JSONValue(JSONValue::Object{})},
                                    {"nothing", JSONValue()}}),
    });
    EXPECT_EQ(JSONWriter::pretty(value), R"([
  {
    "alpha": true,
    "empty": {},
    "list": [
      "x"
    ],
    "nothing": null,
    "zeta": 3
  }
])");
}

using namespace std::chrono;

// Written in UTC without fractions; read in UTC or with an offset, as far as the clock reaches.
TEST(DateTextTest, WritesAndReadsUtcAndOffsetsAsFarAsTheClockReachesAndNoFurther)
{
    const auto expected = sys_days(year(2024) / May / 1) + hours(9) + minutes(30);
    EXPECT_EQ(DateText::iso8601(expected + milliseconds(999)), "2024-05-01T09:30:00Z");
    EXPECT_EQ(DateText::iso8601(sys_days(year(1969) / December / 31) + hours(23) + seconds(59) + milliseconds(500)),
              "1969-12-31T23:00:59Z");
    for (const char* text : {"2024-05-01T09:30:00Z", "2024-05-01T11:30:00+02:00", "2024-05-01T08:00:00-01:30"})
        EXPECT_EQ(DateText::parseIso8601(text), expected) << text;
    for (const std::string edge : {"2262-04-11T23:47:16Z", "1677-09-21T00:12:44Z"}) {
        const auto date = DateText::parseIso8601(edge);
        ASSERT_TRUE(date) << edge;
        EXPECT_EQ(DateText::iso8601(*date), edge);
    }
    EXPECT_EQ(DateText::parseIso8601("2262-04-12T00:47:16+01:00"), DateText::parseIso8601("2262-04-11T23:47:16Z"));

    // Other forms, and moments beyond the clock, are refused.
    for (const char* text :
         {"2024-05-01T09:30:00.5Z", "2024-05-01 09:30:00Z", "2024-02-30T09:30:00Z", "2024-05-01T24:00:00Z",
          "2024-05-01T09:30:00", "", "2024-05-01T09:30:00+2:00", "2262-04-11T23:47:17Z", "2262-04-11T23:00:00-01:00",
          "2263-01-01T00:00:00Z", "9999-12-31T23:59:59Z", "1677-09-21T00:12:43Z", "1600-01-01T00:00:00Z",
          "0000-01-01T00:00:00Z"})
        EXPECT_FALSE(DateText::parseIso8601(text)) << text;
}

TEST(UuidTest, ParsesEitherCaseWritesBothMakesRandomOnesAndRefusesOtherShapes)
{
    const auto uuid = Uuid::parse("3579fa66-0f5d-400c-97b8-E2FBECFEB4BA");
    ASSERT_TRUE(uuid);
    EXPECT_EQ(uuid->upperText(), "3579FA66-0F5D-400C-97B8-E2FBECFEB4BA");
    EXPECT_EQ(uuid->lowerText(), "3579fa66-0f5d-400c-97b8-e2fbecfeb4ba");
    EXPECT_EQ(Uuid::parse(uuid->upperText()), uuid);

    // Random ones are of version 4 and variant 1.
    const Uuid a = Uuid::random();
    EXPECT_NE(a, Uuid::random());
    const std::string text = a.lowerText();
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89ab").find(text[19]), std::string::npos);

    // Other shapes are refused, held on the heap so that a read past the end shows under AddressSanitizer.
    for (const std::string shape : {"3579fa660f5d400c97b8e2fbecfeb4ba", "{3579fa66-0f5d-400c-97b8-e2fbecfeb4b}",
                                    "3579fa66-0f5d-400c-97b8-e2fbecfeb4bg", "3579fa66-0f5d-400c-97b8e-2fbecfeb4ba", "",
                                    "00000000-0000-0000-0000-00-00000000-", "00000000-0000-0000-0000-00-00-000000",
                                    "00000000-0000-0000-0000-0000000000-0", "00000000-0000-0000-0000------------"})
        EXPECT_FALSE(Uuid::parse(shape)) << shape;
}

} // namespace
} // namespace threadhop
