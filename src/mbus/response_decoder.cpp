#include "mbus/response_decoder.h"

#include "codec/frame_codec.h"
#include "mbus/decode_error.h"
#include "mbus/fixed_record.h"
#include "mbus/hex_text.h"
#include "mbus/lookups.h"
#include "mbus/number_format.h"
#include "mbus/record_walk.h"

#include <algorithm>
#include <exception>

namespace holvex::mbus {

namespace {

constexpr int kExtraSlotLength = 15;
constexpr int kMaxExtraTitles = 15;
constexpr char kHexDigits[] = "0123456789ABCDEF";

quint8 byteAt(const QByteArray& frame, int index) {
    return static_cast<quint8>(frame[index]);
}

// The fixed data header of the telegram, held only during one call.
struct Header {
    QString id;
    QString address;
    QString manufacturer;
    QString model;
    MediumInfo medium;
    QString access;
    QString status;
    QString pulse;
    QString battery;
};

Header decodeHeader(const QByteArray& frame, const DecodeOptions& options, QStringList& log) {
    Header header;
    QChar id[8];
    for (int i = 10; i >= 7; --i) {
        const quint8 byte = byteAt(frame, i);
        id[2 * (10 - i)] = QLatin1Char(kHexDigits[byte >> 4]);
        id[2 * (10 - i) + 1] = QLatin1Char(kHexDigits[byte & 0x0F]);
    }
    header.id = QString(id, 8);
    header.address = smallNumberText(byteAt(frame, 5));
    header.manufacturer = manufacturerLetters(
        static_cast<quint16>(byteAt(frame, 11) | (static_cast<quint16>(byteAt(frame, 12)) << 8)));
    header.model = modelName(byteAt(frame, 13));
    header.medium = mediumName(byteAt(frame, 14));
    header.access = smallNumberText(byteAt(frame, 15));
    const quint8 status = byteAt(frame, 16);
    header.status = byteHexText(status);
    // Only the maker's own meters carry pulse width and battery in the status and data bytes.
    if (header.model != QLatin1String("Unknown") && header.manufacturer == QLatin1String("HVX")) {
        header.pulse = pulseWidthName(status);
        QString batteryLog;
        header.battery = batteryText(hexText(frame), options.decimalSeparator, &batteryLog);
        if (!batteryLog.isEmpty()) {
            log.append(batteryLog);
        }
    }
    return header;
}

// A register's value text read back as a number; 0 when empty or not a number.
double textToNumber(QString text, QChar decimalSeparator) {
    if (decimalSeparator != QLatin1Char('.')) {
        text.replace(decimalSeparator, QLatin1Char('.'));
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : 0.0;
}

// Bytes a fixed-layout register's data field occupies, by its data code; 0 for a code it does not decode.
int fixedRegisterLength(quint8 code) {
    switch (code) {
    case 0x1:
    case 0x9:
        return 1;
    case 0x2:
    case 0xA:
        return 2;
    case 0x3:
    case 0xB:
        return 3;
    case 0x4:
    case 0x5:
    case 0x6:
    case 0xC:
        return 4;
    case 0xE:
        return 6;
    default:
        return 0;
    }
}

// Both registers must lie before the checksum; the bytes beyond the end are not there to read.
bool fixedRegistersPresent(const QByteArray& frame) {
    const int dataEnd = static_cast<int>(frame.size()) - 2;
    for (int start : {23, 33}) {
        if (start - 4 >= dataEnd) {
            return false;
        }
        const int length = fixedRegisterLength(byteAt(frame, start - 4) & 0x0F);
        if (start - 2 >= dataEnd || start + length > dataEnd) {
            return false;
        }
    }
    return true;
}

struct MainValues {
    QString value;
    QString unit;
    QStringList extras;
};

MainValues fixedLayoutValues(const QByteArray& frame, const DecodeOptions& options, QStringList& log) {
    if (!fixedRegistersPresent(frame)) {
        throw DecodeError("the telegram is too short for its two registers");
    }
    const FixedRecordResult first = decodeFixedRecord(frame, 23, options.decimalSeparator);
    if (!first.logLine.isEmpty()) {
        log.append(first.logLine);
    }
    const FixedRecordResult second = decodeFixedRecord(frame, 33, options.decimalSeparator);
    if (!second.logLine.isEmpty()) {
        log.append(second.logLine);
    }
    const double a = textToNumber(first.value, options.decimalSeparator);
    const double b = textToNumber(second.value, options.decimalSeparator);
    MainValues values;
    values.value = formatFixed(a + b, 8, options.decimalSeparator);
    values.unit = second.unit;
    values.extras = QStringList(kMaxExtraTitles + 1, QString());
    values.extras[1] = formatFixed(a, 8, options.decimalSeparator);
    values.extras[2] = formatFixed(b, 8, options.decimalSeparator);
    return values;
}

// The value, a blank and the unit, cut to the length of an extra column, made in one piece.
QString extraSlotText(const QString& value, const QString& unit) {
    QChar text[kExtraSlotLength];
    int length = 0;
    for (const QChar c : value) {
        if (length == kExtraSlotLength) {
            break;
        }
        text[length++] = c;
    }
    if (length < kExtraSlotLength) {
        text[length++] = QLatin1Char(' ');
    }
    for (const QChar c : unit) {
        if (length == kExtraSlotLength) {
            break;
        }
        text[length++] = c;
    }
    return QString(text, length);
}

int rowStart(const RecordRow& row, int index) {
    bool ok = false;
    const int number = row.number.toInt(&ok);
    return ok ? number : index;
}

MainValues generalValues(const DecodeResult& result, Header& header, int extraTitleCount) {
    MainValues values;
    const QVector<RecordRow>& rows = result.records;
    int mainIndex = -1;
    for (int i = 0; i < rows.size(); ++i) {
        const QString& unit = rows[i].unit;
        if (unit == header.medium.unitA || unit == header.medium.unitB || unit == header.medium.unitC) {
            mainIndex = i;
            break;
        }
    }
    if (mainIndex >= 0) {
        values.value = rows[mainIndex].value;
        values.unit = rows[mainIndex].unit;
        if (header.manufacturer == QLatin1String("BMT") && header.medium.unitA == QLatin1String("m3")) {
            header.model = QStringLiteral("MB1/MB2");
        }
    }

    values.extras = QStringList(kMaxExtraTitles + 1, QString());
    const QStringList& units = extraValueUnits();
    int start = 0;
    for (int slot = 1; slot <= extraTitleCount; ++slot) {
        bool found = false;
        for (int i = std::max(start, 0); i < rows.size(); ++i) {
            if (i == mainIndex || std::find(units.cbegin(), units.cend(), rows[i].unit) == units.cend()) {
                continue;
            }
            values.extras[slot] = extraSlotText(rows[i].value, rows[i].unit);
            start = rowStart(rows[i], i);
            found = true;
            break;
        }
        if (!found) {
            break; // start is unchanged, so every later slot would find nothing either
        }
    }
    return values;
}

void writeReport(const QByteArray& reply, const DecodeOptions& options, const Header& header,
                 DecodeResult& result) {
    result.reportLines.append(QStringLiteral("ID:") + header.id + QStringLiteral(", Mfr: ") +
                              header.manufacturer + QStringLiteral(", Main medium: ") + header.medium.name);
    const QString counters = header.access + QStringLiteral(", Status: ") + header.status +
                             QStringLiteral(", Model: ") + header.model;
    result.reportLines.append(QStringLiteral("Access counter: ") + counters);
    result.gridDataRows.append({QStringLiteral("ID:") + header.id,
                                QStringLiteral("Mfr:") + header.manufacturer,
                                QStringLiteral("Main medium: ") + header.medium.name,
                                QStringLiteral("Access Counter: ") + counters, QString()});
    try {
        decodeRecords(reply, options, result);
    } catch (const std::exception&) {
        const QString line = QStringLiteral("Exception decoding all values!!!");
        result.reportLines.append(line);
        result.log.append(line);
    }
    const QString stamp =
        QStringLiteral("Decoded at ") + (options.reportStamp.isEmpty()
                                             ? options.timeText + QStringLiteral(", ") + options.dateText
                                             : options.reportStamp);
    result.reportLines.append(stamp);
    result.reportLines.append(QString());
    result.gridDataRows.append({stamp, QString(), QString(), QString(), QString()});
    result.gridDataRows.append(QStringList(5, QString()));
    result.showReport = true;
}

} // namespace

const QStringList& extraValueUnits() {
    static const QStringList units = {
        QStringLiteral("m3"),      QStringLiteral("kWh"),        QStringLiteral("MWh"),
        QStringLiteral("mbar"),    QStringLiteral("kW"),         QStringLiteral("l/h"),
        QStringLiteral("deg. C"),  QStringLiteral("GJ"),         QStringLiteral("MJ"),
        QStringLiteral("MW"),      QStringLiteral("Volts"),      QStringLiteral("Volts, 10^-3"),
        QStringLiteral("On Time"), QStringLiteral("Time point"), QStringLiteral("Fabr. No."),
        QStringLiteral("deg. K"),  QStringLiteral("W"),
    };
    return units;
}

DecodeResult decodeResponse(const QByteArray& reply, const DecodeOptions& options) {
    DecodeResult result;
    codec::FrameCheckResult check = codec::checkLongFrame(reply);
    result.log = std::move(check.log);
    if (!check.passed) {
        return result;
    }
    result.frameChecked = true;

    // A frame that passed the link checks may still end inside the fixed data header. The header fields
    // end with the status byte; the two signature bytes after it are read by nobody and may be missing.
    constexpr int kStatusOffset = 16;
    if (reply.size() < kStatusOffset + 1 + 2) {
        result.log.append(
            QStringLiteral("Unexpected error in the telegram - the telegram is too short for its data "
                           "header"));
        return result;
    }

    Header header = decodeHeader(reply, options, result.log);
    const int extraCount = std::clamp(options.extraTitleCount, 0, kMaxExtraTitles);

    if (options.fullRead) {
        writeReport(reply, options, header, result);
        result.ok = true;
        return result;
    }

    MainValues values;
    if (header.manufacturer == QLatin1String("ZPA")) {
        try {
            values = fixedLayoutValues(reply, options, result.log);
        } catch (const std::exception&) {
            result.log.append(QStringLiteral("Unknown exception decoding ZPA meter..."));
            return result;
        }
    } else {
        try {
            decodeRecords(reply, options, result);
            values = generalValues(result, header, extraCount);
        } catch (const std::exception& error) {
            result.log.append(QStringLiteral("Unexpected error in the telegram - ") +
                              QString::fromUtf8(error.what()));
            return result;
        }
    }

    MeterRow row;
    row.id = header.id;
    row.address = header.address;
    row.manufacturer = header.manufacturer;
    row.value = values.value;
    row.unit = values.unit;
    row.medium = header.medium.name;
    row.time = options.timeText;
    row.date = options.dateText;
    row.status = header.status;
    row.pulse = header.pulse;
    row.model = header.model;
    row.battery = header.battery;
    row.extra.reserve(extraCount);
    for (int slot = 1; slot <= extraCount; ++slot) {
        row.extra.append(values.extras.value(slot));
    }
    result.row = std::move(row);
    result.ok = true;
    return result;
}

} // namespace holvex::mbus
