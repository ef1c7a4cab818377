#include "core/util/format/JSONWriter.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(JSONWriterTest, EscapesOnlyWhatJsonRequires)
{
    EXPECT_EQ(JSONWriter::escaped("a\"b\\c/d\u00E9"), "a\\\"b\\\\c/d\u00E9");
    EXPECT_EQ(JSONWriter::escaped(std::string("\n\t\r\b\f\x01\x1f", 7)), "\\n\\t\\r\\b\\f\\u0001\\u001f");
}

TEST(JSONWriterTest, PrettyPrintsWithSortedKeys)
{
    const JSONValue value(JSONValue::Array{
        JSONValue(JSONValue::Object{{"zeta", JSONValue(std::int64_t{3})},
                                    {"alpha", JSONValue(true)},
                                    {"list", JSONValue(JSONValue::Array{"x"})},
                                    {"empty", JSONValue(JSONValue::Object{})},
                                    {"nothing", JSONValue()}}),
    });
    EXPECT_EQ(JSONWriter::pretty(value),
              "[\n"
              "  {\n"
              "    \"alpha\": true,\n"
              "    \"empty\": {},\n"
              "    \"list\": [\n"
              "      \"x\"\n"
              "    ],\n"
              "    \"nothing\": null,\n"
              "    \"zeta\": 3\n"
              "  }\n"
              "]");
}

} // namespace
} // namespace threadhop
