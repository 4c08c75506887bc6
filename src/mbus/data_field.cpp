#include "mbus/data_field.h"

#include "mbus/date_time_field.h"
#include "mbus/hex_text.h"
#include "mbus/number_format.h"

#include <array>
#include <limits>

namespace holvex::mbus {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Record data end before the checksum and the stop byte.
bool fitsBeforeChecksum(const QByteArray& frame, int start, int length) {
    return start >= 0 && length >= 0 && static_cast<qsizetype>(start) + length <= frame.size() - 2;
}

quint8 byteAt(const QByteArray& frame, int pos) {
    return static_cast<quint8>(frame[pos]);
}

quint64 littleEndian(const QByteArray& frame, int start, int length) {
    quint64 value = 0;
    for (int i = length - 1; i >= 0; --i) {
        value = (value << 8) | byteAt(frame, start + i);
    }
    return value;
}

// The field's hex digits, most significant byte first.
QString digitsMsbFirst(const QByteArray& frame, int start, int length) {
    QString out(2 * length, Qt::Uninitialized);
    QChar* dst = out.data();
    for (int i = length - 1; i >= 0; --i) {
        const quint8 b = byteAt(frame, start + i);
        *dst++ = QLatin1Char(kHexDigits[b >> 4]);
        *dst++ = QLatin1Char(kHexDigits[b & 0x0F]);
    }
    return out;
}

// The hex digits of the bytes in the order received.
QString digitsAsReceived(const QByteArray& frame, int start, int length) {
    QString out;
    appendHex(out, frame, start, length);
    return out;
}

// BCD digits as a decimal number; error and sign nibbles (A..F) or a value beyond the 32-bit signed range
// fail.
bool bcdValue(const QByteArray& frame, int start, int length, qint64& value) {
    value = 0;
    for (int i = length - 1; i >= 0; --i) {
        const quint8 b = byteAt(frame, start + i);
        const int high = b >> 4;
        const int low = b & 0x0F;
        if (high > 9 || low > 9) {
            return false;
        }
        value = value * 100 + high * 10 + low;
    }
    return value <= std::numeric_limits<qint32>::max();
}

QString variableLength(const QByteArray& frame, int dataStart, int& dataLength) {
    if (!fitsBeforeChecksum(frame, dataStart, 1)) {
        dataLength = 1;
        return QStringLiteral("Exception ");
    }
    const int lvar = byteAt(frame, dataStart);
    const int valueStart = dataStart + 1;
    if (lvar >= 0xFB) {
        dataLength = 1;
        return QStringLiteral("Reserved for future use? ");
    }
    const int count = lvar <= 0xBF ? lvar : (lvar & 0x0F);
    dataLength = 1 + count;
    if (!fitsBeforeChecksum(frame, valueStart, count)) {
        return QStringLiteral("Exception ");
    }
    if (lvar <= 0xBF) {
        return QString::fromLatin1(frame.constData() + valueStart, count);
    }
    if (lvar <= 0xCF) {
        return digitsAsReceived(frame, valueStart, count);
    }
    if (lvar <= 0xDF) {
        return QLatin1Char('-') + digitsAsReceived(frame, valueStart, count);
    }
    if (lvar <= 0xEF) {
        return QStringLiteral("0x") + digitsAsReceived(frame, valueStart, count);
    }
    return QStringLiteral("Floating point, to be defined in the future, but hex is: 0x") +
           digitsAsReceived(frame, valueStart, count);
}

QString decodeValue(const QByteArray& frame, int code, int dataStart, bool fabricationNumber,
                    double multiplier, int& dataLength, QChar separator) {
    static const QString kException = QStringLiteral("Exception ");
    const int length = dataFieldLength(static_cast<quint8>(code));
    const bool fits = fitsBeforeChecksum(frame, dataStart, length);
    switch (code) {
    case 0x0:
        return QStringLiteral("No data ");
    case 0x1:
    case 0x2:
    case 0x3: {
        if (!fits) {
            return kException;
        }
        if (code == 0x3 && fabricationNumber) {
            return QStringLiteral("00") + digitsMsbFirst(frame, dataStart, length);
        }
        const auto v = static_cast<double>(littleEndian(frame, dataStart, length));
        return formatFixed(v * multiplier, code == 0x3 ? 11 : 8, separator);
    }
    case 0x4: {
        if (!fits) {
            return kException;
        }
        if (fabricationNumber) {
            return digitsMsbFirst(frame, dataStart, length);
        }
        const auto v = static_cast<qint32>(static_cast<quint32>(littleEndian(frame, dataStart, length)));
        return formatFixed(static_cast<double>(v) * multiplier, 13, separator);
    }
    case 0x5:
        if (!fits) {
            return QStringLiteral("Exception on floating point value ");
        }
        return binaryTextToReal(hexToBinaryText(digitsMsbFirst(frame, dataStart, length)), separator);
    case 0x6: {
        if (!fits) {
            return QStringLiteral("Exception on 6-byte integer ");
        }
        if (fabricationNumber) {
            return digitsMsbFirst(frame, dataStart, length);
        }
        const auto v = static_cast<double>(littleEndian(frame, dataStart, length));
        return formatFixed(v * multiplier, 15, separator);
    }
    case 0x7:
        if (!fits) {
            return kException;
        }
        return QStringLiteral("64-bit integer not supported, but hex is: 0x") +
               digitsMsbFirst(frame, dataStart, length);
    case 0x9:
    case 0xA:
    case 0xB:
    case 0xC:
    case 0xE: {
        if (!fits) {
            return kException;
        }
        // The fabrication number keeps its digits as sent (6 digits and more).
        if (fabricationNumber && length >= 3) {
            return digitsMsbFirst(frame, dataStart, length);
        }
        qint64 v = 0;
        if (!bcdValue(frame, dataStart, length, v)) {
            return kException;
        }
        const int digits = code == 0xB ? 11 : code == 0xC ? 13 : code == 0xE ? 15 : 8;
        return formatFixed(static_cast<double>(v) * multiplier, digits, separator);
    }
    case 0xD:
        return variableLength(frame, dataStart, dataLength);
    default:
        return QStringLiteral("Unrecognizable DIF, not decoded ");
    }
}

} // namespace

int dataFieldLength(quint8 dif) {
    static constexpr int kLength[16] = {0, 1, 2, 3, 4, 4, 6, 8, 0, 1, 2, 3, 4, 1, 6, 0};
    return kLength[dif & 0x0F];
}

QString functionFieldText(quint8 highNibble) {
    static const QString kTexts[16] = {
        QStringLiteral("Instantenous value "),
        QStringLiteral("Maximum value "),
        QStringLiteral("Minimum value "),
        QStringLiteral("Value during Error state "),
        QStringLiteral("Storage number, Instantenous value "),
        QStringLiteral("Storage number, Maximum value "),
        QStringLiteral("Storage number, Minimum value "),
        QStringLiteral("Storage number, Value during Error state "),
        QStringLiteral("Instantenous value, Extension "),
        QStringLiteral("Maximum value, Extension "),
        QStringLiteral("Minimum value, Extension "),
        QStringLiteral("Value during error state, Extension "),
        QStringLiteral("Storage number, Instantenous value, Extension "),
        QStringLiteral("Storage number, Maximum value, Extension "),
        QStringLiteral("Storage number, Minimum value, Extension "),
        QStringLiteral("Storage number, Value during Error state, Extension "),
    };
    return kTexts[highNibble & 0x0F];
}

QString storageTariffText(quint8 dife) {
    static const QString kStorage = QStringLiteral("Storage is: ");
    static const QString kTariff = QStringLiteral(", Tariff is: ");
    QChar text[32];
    int length = 0;
    for (const QChar c : kStorage) {
        text[length++] = c;
    }
    const int storage = dife & 0x0F;
    if (storage < 10) {
        text[length++] = QLatin1Char(static_cast<char>('0' + storage));
    }
    for (const QChar c : kTariff) {
        text[length++] = c;
    }
    text[length++] = QLatin1Char(static_cast<char>('0' + ((dife >> 4) & 0x03)));
    text[length++] = QLatin1Char(' ');
    return QString(text, length);
}

namespace {

// The field text of a DIF with the extension bit and its first DIFE; made once for every high nibble 8..15
// and every storage and tariff the DIFE can name, and shared (a decode needs one for most records).
QString extendedFieldText(quint8 highNibble, quint8 dife) {
    static const std::array<QString, 8 * 64> texts = [] {
        std::array<QString, 8 * 64> made;
        for (int nibble = 0; nibble < 8; ++nibble) {
            for (int bits = 0; bits < 64; ++bits) {
                made[nibble * 64 + bits] = functionFieldText(static_cast<quint8>(8 + nibble)) +
                                           storageTariffText(static_cast<quint8>(bits));
            }
        }
        return made;
    }();
    return texts[((highNibble & 0x07) * 64) + (dife & 0x3F)];
}

// The byte named by two upper-case hex digits ("6C"); -1 for any other text.
int upperHexByte(const QString& text) {
    if (text.size() != 2) {
        return -1;
    }
    int value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9') {
            value = value * 16 + (u - u'0');
        } else if (u >= u'A' && u <= u'F') {
            value = value * 16 + (u - u'A' + 10);
        } else {
            return -1;
        }
    }
    return value;
}

} // namespace

DataFieldResult decodeDataField(const QByteArray& frame, int difPos, int dataStart, const QString& vifHex,
                                double multiplier, int dataLength, QChar decimalSeparator) {
    DataFieldResult result;
    result.dataLength = dataLength;
    if (difPos < 0 || difPos >= frame.size()) {
        result.valueText = QStringLiteral("Exception ");
        return result;
    }
    const quint8 dif = byteAt(frame, difPos);
    // Only the first DIFE is shown.
    if ((dif >> 4) >= 8 && difPos + 1 < frame.size()) {
        result.fieldText = extendedFieldText(dif >> 4, byteAt(frame, difPos + 1));
    } else {
        result.fieldText = functionFieldText(dif >> 4);
    }
    const int vif = upperHexByte(vifHex);
    if (vif == 0x6C || vif == 0x6D || vif == 0xEC || vif == 0xED) {
        result.valueText = decodeDateTime(frame, vifHex, dataStart);
        return result;
    }
    result.valueText = decodeValue(frame, dif & 0x0F, dataStart, vif == 0x78, multiplier, result.dataLength,
                                   decimalSeparator);
    return result;
}

} // namespace holvex::mbus
