// The history file as a damaged or hostile audit.json may hold it. Whatever decodes must take an
// append: the file written then is JSON and decodes to the new record followed by the same entries,
// each element's text as it was read, records and undecodable elements alike.
#include "FuzzCheck.h"

#include "core/models/MigrationRecord.h"
#include "core/util/format/JSONParser.h"
#include "core/util/format/JSONValue.h"
#include "core/util/format/JSONWriter.h"

#include <algorithm>

using namespace threadhop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<HistoryEntry> entries;
    try {
        entries = MigrationRecordCoding::decodeList(fuzz::text(data, size));
    } catch (const RecordDecodingError&) {
        return 0;
    }
    const MigrationRecord newest{.id = *Uuid::parse("0B9D7C1E-2F4A-4C3B-9D8E-7F6A5B4C3D2E"), .accountId = "fuzz"};
    const std::string appended = JSONWriter::pretty(MigrationRecordCoding::encodeList(newest, entries));
    fuzz::require(JSONParser::isJson(appended));
    try {
        const auto again = MigrationRecordCoding::decodeList(appended);
        fuzz::require(again.size() == entries.size() + 1 && again.front().record == newest
                      && std::equal(entries.begin(), entries.end(), again.begin() + 1));
    } catch (const RecordDecodingError&) {
        fuzz::require(false);
    }
    return 0;
}
