#pragma once

#include "mbus/decode_result.h"

#include <QByteArray>

namespace holvex::mbus {

// Offset of the first data record: after the link header and the 12-byte fixed data header.
inline constexpr int kFirstRecordOffset = 19;

// Walks the data records of a checked long frame from byte 19 up to the checksum. Appends the record-table
// rows, the report grid rows and (with fullRead) the report-pane lines to result, and sets
// result.moreRecordsPending. A record whose header runs into the checksum ends the walk without a row.
// Throws DecodeError when a record's data (or its plain-text unit) would run past the end of the telegram.
void decodeRecords(const QByteArray& frame, const DecodeOptions& options, DecodeResult& result);

} // namespace holvex::mbus
