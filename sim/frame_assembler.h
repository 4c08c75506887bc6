#pragma once

#include <QByteArray>
#include <QList>

namespace holvex::sim {

// Cuts a byte stream from the master into frames: short frames (0x10, 5 bytes) and long frames
// (0x68 L L 0x68 ... 0x16, L + 6 bytes). Bytes that cannot start a frame, and a frame candidate whose
// stop byte is wrong, are dropped one byte at a time until a frame start lines up again. Frames are cut
// on shape only: a frame with a bad checksum is still handed on (the meters ignore it). The held
// bytes never exceed one unfinished frame.
class FrameAssembler {
public:
    QList<QByteArray> feed(const QByteArray& bytes);

    // Forget an unfinished frame (the line went quiet in the middle of it).
    void clear() { m_buffer.clear(); }
    bool hasPartial() const { return !m_buffer.isEmpty(); }
    int held() const { return static_cast<int>(m_buffer.size()); }
    long long dropped() const { return m_dropped; }

private:
    QByteArray m_buffer;
    long long m_dropped = 0;
};

} // namespace holvex::sim
