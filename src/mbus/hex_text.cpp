#include "mbus/hex_text.h"

#include "mbus/decode_error.h"
#include "mbus/number_format.h"

#include <array>
#include <cmath>

namespace holvex::mbus {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Value of one hex digit, -1 for any other character.
int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

// One text for each byte value, made by `make`.
template <class Make> std::array<QString, 256> byteTexts(Make make) {
    std::array<QString, 256> texts;
    for (int byte = 0; byte < 256; ++byte) {
        texts[byte] = make(static_cast<quint8>(byte));
    }
    return texts;
}

} // namespace

const QString& byteHexText(quint8 byte) {
    static const std::array<QString, 256> texts = byteTexts([](quint8 b) {
        const QChar digits[2] = {QLatin1Char(kHexDigits[b >> 4]), QLatin1Char(kHexDigits[b & 0x0F])};
        return QString(digits, 2);
    });
    return texts[byte];
}

const QString& spacedByteHexText(quint8 byte) {
    static const std::array<QString, 256> texts =
        byteTexts([](quint8 b) { return byteHexText(b) + QLatin1Char(' '); });
    return texts[byte];
}

QString smallNumberText(int number) {
    static const std::array<QString, 256> texts = byteTexts([](quint8 b) { return QString::number(b); });
    return number >= 0 && number < 256 ? texts[number] : QString::number(number);
}

QString hexText(const QByteArray& bytes) {
    QString out;
    appendHex(out, bytes, 0, static_cast<int>(bytes.size()));
    return out;
}

void appendHex(QString& out, const QByteArray& bytes, int from, int count) {
    const qsizetype size = bytes.size();
    if (from < 0) {
        count += from;
        from = 0;
    }
    if (count <= 0 || from >= size) {
        return;
    }
    const qsizetype end = std::min<qsizetype>(size, static_cast<qsizetype>(from) + count);
    const qsizetype oldSize = out.size();
    out.resize(oldSize + 2 * (end - from));
    QChar* dst = out.data() + oldSize;
    for (qsizetype i = from; i < end; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        *dst++ = QLatin1Char(kHexDigits[b >> 4]);
        *dst++ = QLatin1Char(kHexDigits[b & 0x0F]);
    }
}

quint32 hexToInt(const QString& text) {
    if (text.size() < 8) {
        throw DecodeError("'" + text.toStdString() + "' is not a valid 8-digit hex number");
    }
    quint32 result = 0;
    for (int i = 0; i < 8; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0) {
            throw DecodeError("'" + text.left(8).toStdString() + "' is not a valid hex number");
        }
        result = (result << 4) | static_cast<quint32>(digit);
    }
    return result;
}

QString hexToBinaryText(const QString& hex) {
    QString out;
    out.reserve(hex.size() * 4);
    for (const QChar c : hex) {
        const int digit = hexValue(c);
        if (digit < 0) {
            continue;
        }
        for (int bit = 3; bit >= 0; --bit) {
            out.append(((digit >> bit) & 1) != 0 ? QLatin1Char('1') : QLatin1Char('0'));
        }
    }
    return out;
}

QString binaryTextToReal(const QString& binary, QChar decimalSeparator) {
    if (binary.size() != 32) {
        return QStringLiteral("NaN");
    }
    quint32 bits = 0;
    for (const QChar c : binary) {
        if (c != QLatin1Char('0') && c != QLatin1Char('1')) {
            return QStringLiteral("Exception on float conversion");
        }
        bits = (bits << 1) | (c == QLatin1Char('1') ? 1U : 0U);
    }
    const int exponent = static_cast<int>((bits >> 23) & 0xFF);
    if (exponent == 255) {
        return QStringLiteral("NaN or Infinite");
    }
    // The implicit leading 1 is taken for every exponent, zero included: this coding knows no subnormals.
    const double mantissa = 1.0 + static_cast<double>(bits & 0x7FFFFF) / 8388608.0;
    const auto value = static_cast<float>(std::ldexp(mantissa, exponent - 127));
    QString text = formatFixedDecimals(static_cast<double>(value), 9, 5, decimalSeparator);
    if ((bits & 0x80000000U) != 0) {
        text.prepend(QLatin1Char('-'));
    }
    return text;
}

} // namespace holvex::mbus
