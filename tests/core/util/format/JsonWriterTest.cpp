#include "core/util/format/JsonWriter.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

TEST(JsonWriterTest, EscapesOnlyWhatJsonRequires)
{
    EXPECT_EQ(JsonWriter::escaped("a\"b\\c/d\u00E9"), "a\\\"b\\\\c/d\u00E9");
    EXPECT_EQ(JsonWriter::escaped(std::string("\n\t\r\b\f\x01\x1f", 7)), "\\n\\t\\r\\b\\f\\u0001\\u001f");
}

TEST(JsonWriterTest, PrettyPrintsWithSortedKeys)
{
    const JsonValue value(JsonValue::Array{
        JsonValue(JsonValue::Object{{"zeta", JsonValue(std::int64_t{3})},
                                    {"alpha", JsonValue(true)},
                                    {"list", JsonValue(JsonValue::Array{"x"})},
                                    {"empty", JsonValue(JsonValue::Object{})},
                                    {"nothing", JsonValue()}}),
    });
    EXPECT_EQ(JsonWriter::pretty(value), "[\n"
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
