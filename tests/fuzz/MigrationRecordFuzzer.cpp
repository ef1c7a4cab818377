// The history file as a damaged or hostile audit.json may hold it. Whatever decodes must encode to a
// file that decodes to the same records: the next append rewrites the history from them, and a
// history that no longer decodes is set aside.
#include "FuzzCheck.h"

#include "core/models/MigrationRecord.h"
#include "core/util/format/JSONValue.h"
#include "core/util/format/JSONWriter.h"

using namespace threadhop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<MigrationRecord> records;
    try {
        records = MigrationRecordCoding::decodeList(fuzz::text(data, size));
    } catch (const RecordDecodingError&) {
        return 0;
    }
    JSONValue::Array encoded;
    for (const auto& record : records)
        encoded.push_back(MigrationRecordCoding::encode(record));
    try {
        fuzz::require(MigrationRecordCoding::decodeList(JSONWriter::pretty(JSONValue(std::move(encoded)))) == records);
    } catch (const RecordDecodingError&) {
        fuzz::require(false);
    }
    return 0;
}
