#include "mbus/record_walk.h"

#include "mbus/data_field.h"
#include "mbus/decode_error.h"
#include "mbus/hex_text.h"
#include "mbus/number_format.h"
#include "mbus/vif_tables.h"

#include <utility>

namespace holvex::mbus {

namespace {

constexpr quint8 kIdleFiller = 0x2F;
constexpr quint8 kMoreRecordsFollow = 0x1F;
constexpr char kHexDigits[] = "0123456789ABCDEF";

quint8 byteAt(const QByteArray& frame, int index) {
    return static_cast<quint8>(frame[index]);
}

// Each byte of frame[from, to) as two hex digits and a blank.
// Written in place: every record makes several of these.
QString spacedBytes(const QByteArray& frame, int from, int to) {
    if (to <= from) {
        return QString();
    }
    if (to - from == 1) {
        return spacedByteHexText(byteAt(frame, from));
    }
    QString out(static_cast<qsizetype>(to - from) * 3, Qt::Uninitialized);
    QChar* dst = out.data();
    for (int i = from; i < to; ++i) {
        const quint8 byte = byteAt(frame, i);
        *dst++ = QLatin1Char(kHexDigits[byte >> 4]);
        *dst++ = QLatin1Char(kHexDigits[byte & 0x0F]);
        *dst++ = QLatin1Char(' ');
    }
    return out;
}

// Hex digit k of the frame's hex text: digit 2k is the high nibble of byte k.
QChar digitAt(const QByteArray& frame, int k) {
    const quint8 byte = byteAt(frame, k / 2);
    return QLatin1Char(kHexDigits[(k % 2 == 0) ? (byte >> 4) : (byte & 0x0F)]);
}

// The meter's value relayed by the radio receiver, at digit positions chosen by the selector byte 38.
void appendApatorValue(const QByteArray& frame, int recordNumber, const DecodeOptions& options,
                       DecodeResult& result) {
    constexpr int kSelectorOffset = 38;
    const int dataEnd = static_cast<int>(frame.size()) - 2;
    if (kSelectorOffset >= dataEnd) {
        throw DecodeError("the telegram is too short for the Apator value");
    }
    int length = 23;
    switch (byteAt(frame, kSelectorOffset)) {
    case 0x40:
        length = 20;
        break;
    case 0x10:
        length = 12;
        break;
    case 0x01:
        length = 9;
        break;
    default:
        break;
    }
    const int s = length + 27;
    if ((s + 6) / 2 >= dataEnd) {
        throw DecodeError("the telegram is too short for the Apator value");
    }
    QString digits;
    digits.reserve(8);
    for (int k : {s + 5, s + 6, s + 3, s + 4, s + 1, s + 2, s - 1, s}) {
        digits.append(digitAt(frame, k));
    }
    const auto raw = static_cast<qint32>(hexToInt(digits));
    RecordRow row;
    row.number = smallNumberText(recordNumber + 1);
    row.value = formatFixed(raw / 1000.0, 8, options.decimalSeparator);
    row.unit = QStringLiteral("m3");
    row.qualifier = QStringLiteral("Apator");
    result.records.append(row);
}

void manufacturerBlock(const QByteArray& frame, int p, int recordNumber, const DecodeOptions& options,
                       DecodeResult& result) {
    const quint8 dif = byteAt(frame, p);
    const QString data = spacedBytes(frame, p + 1, static_cast<int>(frame.size()) - 2);
    if (options.fullRead) {
        result.reportLines.append(QStringLiteral("DIF:") + byteHexText(dif) +
                                  QStringLiteral(", Manufacturer specific: ") + data);
    }
    if (options.fullRead || options.reportGrid) {
        result.gridDataRows.append({QString(), QString(), QStringLiteral("Manf. specific"), data, QString()});
    }
    RecordRow row;
    row.number = smallNumberText(recordNumber);
    row.value = data;
    row.qualifier = QStringLiteral("Manf. secific");
    result.records.append(row);

    if (options.apator && byteAt(frame, 11) == 0x01 && byteAt(frame, 12) == 0x06) {
        try {
            appendApatorValue(frame, recordNumber, options, result);
        } catch (const std::exception& error) {
            result.log.append(QStringLiteral("Exception Apator - ") + QString::fromUtf8(error.what()));
        }
    }
    result.moreRecordsPending = (dif == kMoreRecordsFollow);
}

// One data record as read from the frame.
struct Record {
    QString difHex;
    QString vifHex;
    QString vifeHex;
    VifResult unit;
    DataFieldResult field;
    int next = 0; // position after the record
};

// Reads the record whose DIF is at p, whose VIF is at vifPos and whose DIF/VIF walk ended before walkEnd.
// Throws DecodeError when its plain-text unit or its data field would reach the checksum or beyond.
Record readRecord(const QByteArray& frame, int p, int vifPos, int walkEnd, const DecodeOptions& options) {
    const int end = static_cast<int>(frame.size()) - 2;
    const quint8 dif = byteAt(frame, p);
    Record record;
    record.vifHex = byteHexText(byteAt(frame, vifPos));
    record.unit = lookupVif(frame, vifPos, walkEnd, record.vifHex);
    // A plain-text unit: the length byte follows the VIF itself and the text follows it (the VIFEs of 0xFC
    // come after the text). The walk stopped on the length byte, so L + 1 bytes from there lead to the data.
    int dataStart = walkEnd;
    int textLength = 0;
    if (record.unit.qualifier == QLatin1String("text")) {
        textLength = byteAt(frame, vifPos + 1) + 1;
        if (walkEnd + textLength > end) {
            throw DecodeError("the plain-text unit runs past the end of the telegram");
        }
        dataStart += textLength;
    }
    record.field = decodeDataField(frame, p, dataStart, record.vifHex, record.unit.multiplier,
                                   dataFieldLength(dif), options.decimalSeparator);
    if (record.field.dataLength < 0 || dataStart + record.field.dataLength > end) {
        throw DecodeError("the data field runs past the end of the telegram");
    }
    record.field.dataLength += textLength;
    record.difHex = spacedBytes(frame, p, vifPos);
    record.vifeHex = spacedBytes(frame, vifPos + 1, dataStart);
    record.next = walkEnd + record.field.dataLength;
    return record;
}

} // namespace

void decodeRecords(const QByteArray& frame, const DecodeOptions& options, DecodeResult& result) {
    const int end = static_cast<int>(frame.size()) - 2; // checksum and stop byte are never records
    int recordNumber = 1;
    int p = kFirstRecordOffset;
    // Most telegrams hold up to about a dozen records: room for them at once instead of growing step by step.
    result.records.reserve(16);
    while (p < end) {
        const quint8 dif = byteAt(frame, p);
        if (dif == kIdleFiller) {
            if (options.fullRead) {
                result.reportLines.append(QStringLiteral("DIF:") + byteHexText(dif) +
                                          QStringLiteral(", Idle filtering, skipping..."));
            }
            ++p;
            continue;
        }
        if ((dif & 0x0F) == 0x0F) {
            manufacturerBlock(frame, p, recordNumber, options, result);
            return;
        }

        // DIF and DIFEs up to the first byte without the extension bit; the VIF follows.
        int q = p;
        while ((byteAt(frame, q) & 0x80) && q + 1 < end) {
            ++q;
        }
        const int vifPos = q + 1;
        if ((byteAt(frame, q) & 0x80) || vifPos >= end) {
            return;
        }
        int r = vifPos;
        while ((byteAt(frame, r) & 0x80) && r + 1 < end) {
            ++r;
        }
        if (byteAt(frame, r) & 0x80) {
            return;
        }
        const int walkEnd = r + 1;

        Record record;
        try {
            record = readRecord(frame, p, vifPos, walkEnd, options);
        } catch (const DecodeError&) {
            // A header that ends right before the checksum is a walk that ran out: no row and nothing to say.
            // A record cut short after its header is named; the records before it stand.
            if (walkEnd < end) {
                const QString line = recordLeftOutLine(recordNumber);
                result.log.append(line);
                if (options.fullRead) {
                    result.reportLines.append(line);
                }
            }
            return;
        }

        if (options.fullRead) {
            result.reportLines.append(QStringLiteral("DIF,DIFE=") + record.difHex +
                                      QStringLiteral("; VIF, VIFE=") + record.vifHex + QLatin1Char(' ') +
                                      record.vifeHex + QStringLiteral("; ") + record.field.fieldText +
                                      QStringLiteral(", ") + record.field.valueText + QLatin1Char(' ') +
                                      record.unit.unit + QStringLiteral(", ") + record.unit.qualifier);
        }
        if (options.fullRead || options.reportGrid) {
            result.gridDataRows.append({record.field.fieldText, record.field.valueText, record.unit.unit,
                                        record.unit.qualifier, QString()});
        }
        result.records.append(RecordRow{smallNumberText(recordNumber), std::move(record.field.valueText),
                                        std::move(record.unit.unit), std::move(record.unit.qualifier),
                                        std::move(record.difHex), std::move(record.vifHex),
                                        std::move(record.vifeHex)});

        ++recordNumber;
        p = record.next;
    }
}

QString recordLeftOutLine(int recordNumber) {
    return QStringLiteral("Data record %1 runs past the end of the telegram - left out").arg(recordNumber);
}

} // namespace holvex::mbus
