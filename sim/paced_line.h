#pragma once

#include <QByteArray>

#include <cstdint>
#include <map>

namespace holvex::sim {

// One half-duplex M-Bus line at a real speed, as the bytes come out of the master's receiver. Every byte
// takes 11 bit times (start bit, 8 data bits, even parity, stop bit) and occupies one slot of that length on
// a grid that starts with the line. Bytes placed in the same slot by different talkers are laid over each
// other bit by bit: a slave sends a 0 (space) by drawing more current, so one talker's 0 wins over another's
// 1 and the master reads the bitwise AND. Bytes alone in their slot pass as they are. Times are
// milliseconds on the owner's clock.
class PacedLine {
public:
    static constexpr int kBitsPerByte = 11;

    explicit PacedLine(int baud);

    // How long one byte takes on the line (4.583 ms at 2400 baud).
    double byteMs() const { return m_byteMs; }
    static double byteMsAt(int baud) { return kBitsPerByte * 1000.0 / baud; }

    // Places the bytes one after the other from the first slot that starts at atMs or later and has not been
    // handed out yet; returns when the last of them ends.
    double place(double atMs, const QByteArray& bytes);
    // The bytes whose slots have ended by nowMs, in line order (slots nobody used are left out: the line was
    // idle there); they are handed out once.
    QByteArray takeDue(double nowMs);
    // When the next held byte ends, or a negative number when the line holds nothing.
    double nextDueMs() const;
    bool isEmpty() const { return m_slots.empty(); }
    // Every held byte at once, in line order (a gateway that passes on what it gathered).
    QByteArray takeAll();

private:
    double m_byteMs;
    std::map<long long, std::uint8_t> m_slots;
    long long m_firstFree = 0; // slots before this were handed out already
};

} // namespace holvex::sim
