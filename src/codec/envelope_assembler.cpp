#include "codec/envelope_assembler.h"

#include <algorithm>

namespace holvex::codec {

EnvelopeAssembler::EnvelopeAssembler(Buffer& buffer, int& count) : m_buffer(buffer), m_count(count) {}

EnvelopeAssembler::Result EnvelopeAssembler::append(const QByteArray& bytes) {
    Result result;
    const long long reached = static_cast<long long>(m_count) + static_cast<long long>(bytes.size());
    if (m_count < 0 || reached > kPacketSize) {
        // The piece does not fit in one packet: nothing of it is copied, the whole assembly is dropped.
        result.outcome = Outcome::WrongCount;
        result.count = reached;
        clear();
        return result;
    }
    std::copy(bytes.cbegin(), bytes.cend(), m_buffer.begin() + m_count);
    m_count = static_cast<int>(reached);
    result.count = reached;
    if (m_count == kPacketSize) {
        result.outcome = Outcome::Packet;
        result.packet = QByteArray(reinterpret_cast<const char*>(m_buffer.data()), kPacketSize);
        clear();
    }
    return result;
}

void EnvelopeAssembler::clear() {
    m_buffer.fill(0);
    m_count = 0;
}

} // namespace holvex::codec
