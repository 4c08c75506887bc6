#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

namespace holvex::mbus {

struct FixedRecordResult {
    QString value;
    QString unit;
    // Event-log line the caller writes, empty when none ("Unrecognizable DIF value - not decoded, 1...").
    QString logLine;
};

// One register of the fixed-layout telegram: data code from byte dataStart - 4, energy VIF from the low
// nibble of byte dataStart - 2, data from dataStart. Registers that would reach the checksum (frame.size() -
// 2) or beyond, or start before the frame, give empty value and unit. Never throws.
FixedRecordResult decodeFixedRecord(const QByteArray& frame, int dataStart, QChar decimalSeparator);

} // namespace holvex::mbus
