#pragma once

#include "mbus/decode_result.h"

#include <QByteArray>

namespace holvex::mbus {

// Offset of the first data record: after the link header and the 12-byte fixed data header.
inline constexpr int kFirstRecordOffset = 19;

// Walks the data records of a checked long frame from byte 19 up to the checksum. Appends the record-table
// rows, the report grid rows and (with fullRead) the report-pane lines to result, and sets
// result.moreRecordsPending. A record whose DIF/VIF walk reaches the checksum (so that none of its data can
// follow) ends the walk without a row. A record whose data field or plain-text unit would run into the
// checksum or past it ends the walk too: it gets no row, and recordLeftOutLine names it in result.log (and,
// with fullRead, in the report pane). The records before it keep their rows.
void decodeRecords(const QByteArray& frame, const DecodeOptions& options, DecodeResult& result);

// "Data record 3 runs past the end of the telegram - left out": the line for a record cut short.
QString recordLeftOutLine(int recordNumber);

} // namespace holvex::mbus
