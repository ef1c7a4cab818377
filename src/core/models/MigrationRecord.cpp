#include "MigrationRecord.h"

#include "core/util/format/DateText.h"
#include "core/util/format/JSONParser.h"
#include "core/util/format/JSONValue.h"
#include "core/util/text/UnicodeText.h"

#include <cmath>
#include <limits>

#include <simdjson.h>

namespace threadhop {
namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;
using simdjson::dom::object;

[[noreturn]] void fail(std::string_view key, std::string_view problem)
{
    throw RecordDecodingError("history record: \"" + std::string(key) + "\" " + std::string(problem));
}

// The member's value, or nothing when the key is missing or holds null.
std::optional<element> member(const object& record, std::string_view key)
{
    element value;
    if (record.at_key(key).get(value) != simdjson::SUCCESS || value.is_null())
        return std::nullopt;
    return value;
}

element required(const object& record, std::string_view key)
{
    if (auto value = member(record, key))
        return *value;
    fail(key, "is missing");
}

std::string asString(element value, std::string_view key)
{
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS)
        fail(key, "is not a string");
    return std::string(text);
}

std::int64_t asInteger(element value, std::string_view key)
{
    switch (value.type()) {
    case element_type::INT64:
        return value.get_int64().value_unsafe();
    case element_type::UINT64:
        if (value.get_uint64().value_unsafe() <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return static_cast<std::int64_t>(value.get_uint64().value_unsafe());
        break;
    case element_type::DOUBLE: {
        const double number = value.get_double().value_unsafe();
        if (std::trunc(number) == number && std::fabs(number) < 9.2e18)
            return static_cast<std::int64_t>(number);
        break;
    }
    default:
        break;
    }
    fail(key, "is not an integer");
}

bool asBool(element value, std::string_view key)
{
    bool flag = false;
    if (value.get_bool().get(flag) != simdjson::SUCCESS)
        fail(key, "is not a boolean");
    return flag;
}

Uuid asUuid(element value, std::string_view key)
{
    if (auto uuid = Uuid::parse(asString(value, key)))
        return *uuid;
    fail(key, "is not a UUID");
}

std::chrono::system_clock::time_point asDate(element value, std::string_view key)
{
    if (auto date = DateText::parseIso8601(asString(value, key)))
        return *date;
    fail(key, "is not an ISO 8601 date");
}

template <typename Convert>
auto optionalMember(const object& record, std::string_view key, Convert convert)
    -> std::optional<decltype(convert(std::declval<element>(), key))>
{
    if (auto value = member(record, key))
        return convert(*value, key);
    return std::nullopt;
}

std::map<std::string, std::int64_t> asCountMap(element value, std::string_view key)
{
    object counts;
    if (value.get_object().get(counts) != simdjson::SUCCESS)
        fail(key, "is not an object");
    std::map<std::string, std::int64_t> result;
    for (const auto field : counts)
        result[std::string(field.key)] = asInteger(field.value, key);
    return result;
}

std::vector<std::string> asStringList(element value, std::string_view key)
{
    simdjson::dom::array items;
    if (value.get_array().get(items) != simdjson::SUCCESS)
        fail(key, "is not an array");
    std::vector<std::string> result;
    for (const element item : items)
        result.push_back(asString(item, key));
    return result;
}

MigrationRecord decodeElement(element value)
{
    object record;
    if (value.get_object().get(record) != simdjson::SUCCESS)
        throw RecordDecodingError("history record: not a JSON object");
    return MigrationRecord{
        .id = asUuid(required(record, "id"), "id"),
        .timestamp = asDate(required(record, "timestamp"), "timestamp"),
        .accountId = asString(required(record, "accountId"), "accountId"),
        .oldCwd = asString(required(record, "oldCwd"), "oldCwd"),
        .newCwd = asString(required(record, "newCwd"), "newCwd"),
        .oldFolder = asString(required(record, "oldFolder"), "oldFolder"),
        .newFolder = asString(required(record, "newFolder"), "newFolder"),
        .filesRewritten = asInteger(required(record, "filesRewritten"), "filesRewritten"),
        .occurrencesReplaced = asInteger(required(record, "occurrencesReplaced"), "occurrencesReplaced"),
        .backupPath = optionalMember(record, "backupPath", asString),
        .dryRun = asBool(required(record, "dryRun"), "dryRun"),
        .success = asBool(required(record, "success"), "success"),
        .message = optionalMember(record, "message", asString),
        .rewroteHistory = optionalMember(record, "rewroteHistory", asBool),
        .occurrencesByClass = optionalMember(record, "occurrencesByClass", asCountMap),
        .movedEntryNames = optionalMember(record, "movedEntryNames", asStringList),
        .revertsRecordId = optionalMember(record, "revertsRecordId", asUuid),
        .targetAccountId = optionalMember(record, "targetAccountId", asString),
        .moveMode = optionalMember(record, "moveMode", asString),
        .newSessionId = optionalMember(record, "newSessionId", asString),
        .unrestoredFiles = optionalMember(record, "unrestoredFiles", asStringList),
    };
}

// The element's record, or nothing when it does not decode as one.
std::optional<MigrationRecord> recordIn(element value)
{
    try {
        return decodeElement(value);
    } catch (const RecordDecodingError&) {
        return std::nullopt;
    }
}

element parse(JSONParser& parser, std::string_view json)
{
    element root;
    if (parser.parse(json).get(root) != simdjson::SUCCESS)
        throw RecordDecodingError("history: the text is not valid JSON");
    return root;
}

template <typename T>
void putOptional(JSONValue::Object& object, const char* key, const std::optional<T>& value)
{
    if (value)
        object.emplace(key, JSONValue(*value));
}

} // namespace

std::map<std::string, std::int64_t> occurrencesByClassName(const std::map<CwdClass, std::int64_t>& byClass)
{
    std::map<std::string, std::int64_t> named;
    for (const auto& [cwdClass, count] : byClass)
        named.emplace(toString(cwdClass), count);
    return named;
}

JSONValue MigrationRecordCoding::encode(const MigrationRecord& record)
{
    JSONValue::Object object{
        {"id", record.id.upperText()},
        {"timestamp", DateText::iso8601(record.timestamp)},
        {"accountId", record.accountId},
        {"oldCwd", record.oldCwd},
        {"newCwd", record.newCwd},
        {"oldFolder", record.oldFolder},
        {"newFolder", record.newFolder},
        {"filesRewritten", record.filesRewritten},
        {"occurrencesReplaced", record.occurrencesReplaced},
        {"dryRun", record.dryRun},
        {"success", record.success},
    };
    putOptional(object, "backupPath", record.backupPath);
    putOptional(object, "message", record.message);
    putOptional(object, "rewroteHistory", record.rewroteHistory);
    if (record.occurrencesByClass) {
        JSONValue::Object counts;
        for (const auto& [name, count] : *record.occurrencesByClass)
            counts.emplace(name, count);
        object.emplace("occurrencesByClass", std::move(counts));
    }
    for (const auto& [key, names] : {std::pair{"movedEntryNames", &record.movedEntryNames},
                                     std::pair{"unrestoredFiles", &record.unrestoredFiles}}) {
        if (*names)
            object.emplace(key, JSONValue::Array((*names)->begin(), (*names)->end()));
    }
    if (record.revertsRecordId)
        object.emplace("revertsRecordId", record.revertsRecordId->upperText());
    putOptional(object, "targetAccountId", record.targetAccountId);
    putOptional(object, "moveMode", record.moveMode);
    putOptional(object, "newSessionId", record.newSessionId);
    return object;
}

MigrationRecord MigrationRecordCoding::decode(std::string_view json)
{
    JSONParser parser;
    return decodeElement(parse(parser, json));
}

std::vector<HistoryEntry> MigrationRecordCoding::decodeList(std::string_view json)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (json.starts_with(byteOrderMark))
        json.remove_prefix(byteOrderMark.size());
    const auto texts = JSONParser::elementTexts(json);
    if (!texts)
        throw RecordDecodingError("history: the text is not a JSON array");
    JSONParser parser;
    std::vector<HistoryEntry> entries;
    entries.reserve(texts->size());
    for (const std::string_view text : *texts) {
        HistoryEntry entry{.json = std::string(text)};
        auto parsed = parser.parseWithin(json, text);
        if (parsed.error() == simdjson::UTF8_ERROR) {
            entry.json = UnicodeText::withReplacementCharacters(text);
            parsed = parser.parse(entry.json);
        }
        element item;
        if (parsed.get(item) == simdjson::SUCCESS)
            entry.record = recordIn(item);
        else if (!JSONParser::isJson(entry.json))
            throw RecordDecodingError("history: an element is not JSON");
        entries.push_back(std::move(entry));
    }
    return entries;
}

JSONValue MigrationRecordCoding::encodeList(const MigrationRecord& record, const std::vector<HistoryEntry>& entries)
{
    JSONValue::Array array;
    array.reserve(entries.size() + 1);
    array.push_back(encode(record));
    for (const auto& entry : entries)
        array.push_back(JSONValue::Verbatim{entry.json});
    return array;
}

} // namespace threadhop
