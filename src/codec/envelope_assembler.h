#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace holvex::codec {

// Gathers a 300-byte gateway packet that arrives in pieces. It works on the run state's envelope buffer and
// fill count, so every reader of the run state sees the same assembly. Bytes are only ever copied inside the
// 300 bytes a packet may take: a piece that would run past them is counted, reported and discarded with
// everything gathered before it.
class EnvelopeAssembler {
public:
    static constexpr int kBufferSize = 350;
    static constexpr int kPacketSize = 300;
    // A socket read takes at most this many bytes at a time.
    static constexpr int kMaxReadSize = 300;

    using Buffer = std::array<std::uint8_t, kBufferSize>;

    enum class Outcome {
        Waiting,    // fewer than 300 bytes so far
        Packet,     // exactly 300 bytes: packet holds them, the buffer is empty again
        WrongCount, // the count passed 300 (or was negative): count holds the count reached, all discarded
    };

    struct Result {
        Outcome outcome = Outcome::Waiting;
        QByteArray packet;
        long long count = 0;
    };

    EnvelopeAssembler(Buffer& buffer, int& count);

    Result append(const QByteArray& bytes);
    void clear();

private:
    Buffer& m_buffer;
    int& m_count;
};

} // namespace holvex::codec
