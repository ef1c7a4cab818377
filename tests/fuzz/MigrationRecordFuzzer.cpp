// The history file as a damaged or hostile audit.json may hold it. Whatever decodes must encode to a
// file that decodes to the same entries: the next append rewrites the history from them, records and
// undecodable elements alike, and a history that no longer decodes is set aside.
#include "FuzzCheck.h"

#include "core/models/MigrationRecord.h"
#include "core/util/format/JSONValue.h"
#include "core/util/format/JSONWriter.h"

using namespace threadhop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<HistoryEntry> entries;
    try {
        entries = MigrationRecordCoding::decodeList(fuzz::text(data, size));
    } catch (const RecordDecodingError&) {
        return 0;
    }
    try {
        fuzz::require(MigrationRecordCoding::decodeList(JSONWriter::pretty(MigrationRecordCoding::encodeList(entries)))
                      == entries);
    } catch (const RecordDecodingError&) {
        fuzz::require(false);
    }
    return 0;
}
