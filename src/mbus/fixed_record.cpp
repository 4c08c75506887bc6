#include "mbus/fixed_record.h"

#include "mbus/number_format.h"
#include "mbus/vif_tables.h"

#include <limits>

namespace holvex::mbus {

namespace {

bool fitsBeforeChecksum(const QByteArray& frame, int start, int length) {
    return start >= 0 && static_cast<qsizetype>(start) + length <= frame.size() - 2;
}

quint8 byteAt(const QByteArray& frame, int pos) {
    return static_cast<quint8>(frame[pos]);
}

} // namespace

FixedRecordResult decodeFixedRecord(const QByteArray& frame, int dataStart, QChar decimalSeparator) {
    FixedRecordResult result;
    // The DIF sits four bytes and the VIF two bytes before the data; all of it lies before the checksum.
    if (!fitsBeforeChecksum(frame, dataStart - 4, 4)) {
        return result;
    }
    const int code = byteAt(frame, dataStart - 4) & 0x0F;
    VifResult vif;
    lookupPrimaryVif(byteAt(frame, dataStart - 2) & 0x0F, vif);

    int length = 0;
    bool bcd = false;
    bool signed32 = false;
    switch (code) {
    case 0x1:
    case 0x2:
    case 0x3:
        length = code;
        break;
    case 0x4:
    case 0x5:
    case 0x6:
        length = 4;
        signed32 = true;
        break;
    case 0x9:
    case 0xA:
    case 0xB:
    case 0xC:
        length = code - 0x8;
        bcd = true;
        break;
    case 0xE:
        length = 6;
        bcd = true;
        break;
    default:
        result.logLine = QStringLiteral("Unrecognizable DIF value - not decoded, 1...");
        return result;
    }
    if (!fitsBeforeChecksum(frame, dataStart, length)) {
        return result;
    }
    qint64 value = 0;
    if (bcd) {
        for (int i = length - 1; i >= 0; --i) {
            const quint8 b = byteAt(frame, dataStart + i);
            if ((b >> 4) > 9 || (b & 0x0F) > 9) {
                return result;
            }
            value = value * 100 + (b >> 4) * 10 + (b & 0x0F);
        }
        if (value > std::numeric_limits<qint32>::max()) {
            return result;
        }
    } else {
        quint32 raw = 0;
        for (int i = length - 1; i >= 0; --i) {
            raw = (raw << 8) | byteAt(frame, dataStart + i);
        }
        value = signed32 ? static_cast<qint64>(static_cast<qint32>(raw)) : static_cast<qint64>(raw);
    }
    result.value = formatFixed(static_cast<double>(value) * vif.multiplier, 8, decimalSeparator);
    result.unit = vif.unit;
    return result;
}

} // namespace holvex::mbus
