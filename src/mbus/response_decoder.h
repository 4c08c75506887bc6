#pragma once

#include "mbus/decode_result.h"

#include <QByteArray>

namespace holvex::mbus {

// Turns one reply to a read request (an RSP_UD long frame with the 12-byte fixed data header) into the
// meter-table row, the record table and, for a full read, the detailed report. Pure: everything it would
// write comes back in the result, and the caller applies it (the meter table's model applies the row rules).
// Never throws.
DecodeResult decodeResponse(const QByteArray& reply, const DecodeOptions& options);

// The unit texts that qualify a record for an extra column, in order.
const QStringList& extraValueUnits();

} // namespace holvex::mbus
