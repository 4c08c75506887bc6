#pragma once

#include <QByteArray>
#include <QString>

namespace holvex::mbus {

// Two upper-case hex digits per byte, no blanks.
QString hexText(const QByteArray& bytes);

// "3F": a byte's two upper-case hex digits. The texts are made once and shared: a decode needs several for
// every record, and a shared copy costs no allocation.
const QString& byteHexText(quint8 byte);

// "3F ": a byte's two upper-case hex digits and a blank, shared like byteHexText.
const QString& spacedByteHexText(quint8 byte);

// "0" .. "255" for a number in that range (shared like byteHexText), any other number as QString::number.
QString smallNumberText(int number);

// Appends two upper-case hex digits per byte of bytes[from, from + count) to out; bytes outside the array are
// not read (the range is clipped).
void appendHex(QString& out, const QByteArray& bytes, int from, int count);

// The first eight characters as a 32-bit two's complement number ("FFFFFFFF" is -1 as qint32).
// Throws DecodeError when the text has fewer than eight characters or one of the eight is not a hex digit.
quint32 hexToInt(const QString& text);

// Each hex digit (either case) becomes four binary characters; any other character is skipped.
QString hexToBinaryText(const QString& hex);

// 32 characters "0"/"1", most significant bit first, to the text of the single-precision real:
// "NaN" unless exactly 32 characters, "NaN or Infinite" for exponent 255, otherwise fixed-point with 5
// decimals and at most 9 significant digits ("." as separator unless given), "Exception on float conversion"
// on a character other than "0"/"1". Never throws.
QString binaryTextToReal(const QString& binary, QChar decimalSeparator = QLatin1Char('.'));

} // namespace holvex::mbus
