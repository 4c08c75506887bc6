#pragma once

#include <QByteArray>
#include <QList>

namespace holvex::sim {

// The wireless receiver's lines are lower-case ("set wmod=1", "get serv", "del entr=5") and, like every line
// of the maker's devices, carry no terminator. Three of them end in raw bytes of any value after their first
// comma: "set bind=" a "," + 8 bytes (a secondary address), "set encr=" a "," + 16 bytes and "set akey=" id
// "," + 16 bytes (AES-128 keys). Those bytes may be CR, LF, 0x00, 0x68, a comma or a blank: nothing in them
// ends the line; only their count does.

// Whether a receiver line ("set ", "get " or "del ") begins at `at`.
bool startsReceiverLine(const QByteArray& bytes, qsizetype at);

// The raw bytes the line carries after its first comma: 8 for "set bind=", 16 for "set encr=" and
// "set akey=", 0 for every other line.
int rawArgumentBytes(const QByteArray& line);

// What arrived as one line (one write, ended by a quiet gap) cut into receiver lines, for a program that
// writes two lines at once (a key under the address and under the ID). A chunk that does not begin with a
// receiver line is one line, untouched. Otherwise a line ends where the next receiver verb begins: after a
// raw-byte line's count of raw bytes (bytes beyond the count that begin no line stay with it, so that the
// receiver sees the line was too long), after any other line at the next "set ", "get " or "del ". The
// pieces joined give the chunk back.
QList<QByteArray> splitReceiverLines(const QByteArray& chunk);

} // namespace holvex::sim
