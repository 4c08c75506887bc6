#pragma once

#include <QString>

namespace holvex {

// Times of the M-Bus line at a given speed. A byte is 11 bits on the line: start, 8 data, even parity, stop.
struct LineTiming {
    int baud = 2400;

    // The speed of the settings' "Speed" text; a text that is no speed counts as 2400 baud.
    static LineTiming ofSpeed(const QString& speed) {
        bool ok = false;
        const int baud = speed.trimmed().toInt(&ok);
        return LineTiming{ok && baud > 0 ? baud : 2400};
    }

    qint64 bitsNs(qint64 bits) const { return bits * 1000000000LL / baud; }
    qint64 byteNs() const { return bitsNs(11); }
    // A frame is over once the line stays quiet for 11 bit times after its last byte.
    qint64 frameGapNs() const { return bitsNs(11); }
    // The longest a meter may wait before it answers: 330 bit times and 50 ms. Where several meters may
    // answer one request (a selection, a broadcast), a slower one may still begin that long after the first
    // is done.
    qint64 answerDelayNs() const { return bitsNs(330) + 50000000LL; }
};

} // namespace holvex
