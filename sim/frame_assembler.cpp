#include "sim/frame_assembler.h"

#include "codec/frame_codec.h"

namespace holvex::sim {

namespace {

constexpr int kShortLength = 5;
constexpr int kLongHeader = 4;

std::uint8_t at(const QByteArray& bytes, qsizetype index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

} // namespace

QList<QByteArray> FrameAssembler::feed(const QByteArray& bytes) {
    m_buffer += bytes;
    QList<QByteArray> frames;
    qsizetype pos = 0;
    const qsizetype size = m_buffer.size();
    while (pos < size) {
        const qsizetype left = size - pos;
        const std::uint8_t start = at(m_buffer, pos);
        if (start == codec::kShortStart) {
            if (left < kShortLength) {
                break;
            }
            if (at(m_buffer, pos + 4) == codec::kStop) {
                frames.append(m_buffer.mid(pos, kShortLength));
                pos += kShortLength;
                continue;
            }
        } else if (start == codec::kLongStart) {
            if (left < kLongHeader) {
                // Judge the header as far as it has come: a mismatch already shows it is not a frame.
                const bool stillPossible = (left < 3 || at(m_buffer, pos + 1) == at(m_buffer, pos + 2));
                if (stillPossible) {
                    break;
                }
            } else {
                const int l = at(m_buffer, pos + 1);
                const bool header =
                    l >= 3 && at(m_buffer, pos + 2) == l && at(m_buffer, pos + 3) == codec::kLongStart;
                if (header) {
                    const qsizetype length = l + 6;
                    if (left < length) {
                        break;
                    }
                    if (at(m_buffer, pos + length - 1) == codec::kStop) {
                        frames.append(m_buffer.mid(pos, length));
                        pos += length;
                        continue;
                    }
                }
            }
        }
        // Not a frame start here: drop one byte and look again.
        ++pos;
        ++m_dropped;
    }
    m_buffer.remove(0, pos);
    return frames;
}

} // namespace holvex::sim
