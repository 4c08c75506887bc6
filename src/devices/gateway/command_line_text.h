#pragma once

#include <QByteArray>
#include <QString>

namespace holvex::gateway {

// Pieces of the maker's text command lines ("SET PITO=05"), shared by the gateway, the display unit and the
// receiver.

// A number below 10 gets one leading "0"; 10 and above are written as they are.
QString twoDigits(int value);

// The year as the devices want it: 2000 is taken off a year of 100 or more, then two digits.
QString yearDigits(int year);

// The bytes of a line: 8-bit text, one byte per character (Latin-1), no terminator. A character beyond
// Latin-1 goes out as "?".
QByteArray commandBytes(const QString& line);

// "a.b.c.d": exactly three dots and four decimal parts, none above 255.
bool isDottedQuad(const QString& text);

// Digits only, at least one: the form every numeric field of the device pages must have.
bool isDecimalText(const QString& text);

// The number in a field holding decimal digits only; nothing for an empty field, another character, or a
// number too large for the pages' fields (more than nine digits).
bool parseFieldNumber(const QString& text, int& value);

} // namespace holvex::gateway
